#include "MailFixture.h"

#include "mailstore/MapiException.h"
#include "mapi/EntryIds.h"

namespace mailstore {
namespace {

using mapi::fault::FaultRule;
using mapi::fault::ObjectKind;
using testing::errorOf;

const std::string kCancelText =
    "The user canceled the operation, typically by choosing the Cancel button in a dialog box.";
const std::string kLogonFailedText =
    "The logon did not succeed, either because one or more of the parameters to "
    "Profile were invalid or because there were too many sessions open already.";

class SessionTest : public testing::MailFixture {
protected:
    SessionTest() {
        mail.addStore("Personal Folders", true);
        mail.addStore("Archive");
        mail.addStore("Office", true, "Work");
        mail.setDefaultProfile("Default");
    }

    std::vector<std::string> storeNames() {
        std::vector<std::string> names;
        for (const auto& entry : session().stores())
            names.push_back(entry.first);
        return names;
    }
};

TEST_F(SessionTest, DefaultChoiceLogsOnWithUseDefault) {
    session().SetLogonParameters(LoginDefault, "ignored", "ignored");
    session().Logon();
    const auto calls = faults->calls("LogonEx");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].flags, 0x62u);
    EXPECT_EQ(calls[0].text, "(null)");
    EXPECT_TRUE(session().loggedOn());
    session().ListStores();
    EXPECT_EQ(storeNames(), (std::vector<std::string>{"Personal Folders", "Archive"}));
}

TEST_F(SessionTest, UserNameChoiceNamesTheProfileIgnoringCase) {
    std::string password;
    mail.registry().add("probe", [&](const mapi::StoreLocation& location, std::shared_ptr<mapi::IMsgStore>&) {
        password = location.password;
        return mapi::MAPI_E_NO_ACCESS;
    });
    mail.addStoreEntry("Mailbox", "probe:x", false, "Work");
    session().SetLogonParameters(LoginUserName, "wORK", "secret");
    session().ListStores();
    EXPECT_EQ(faults->calls("LogonEx").at(0).flags, 0x33u);
    EXPECT_EQ(faults->calls("LogonEx").at(0).text, "wORK");
    EXPECT_EQ(storeNames(), (std::vector<std::string>{"Office", "Mailbox"}));
    EXPECT_THROW(session().stores().at(1).second->OpenStore(), MapiException);
    EXPECT_EQ(password, "secret");
}

TEST_F(SessionTest, PromptChoiceCancelledByDefault) {
    session().SetLogonParameters(LoginPrompt, "Work", "x");
    EXPECT_EQ(errorOf([&] { session().Logon(); }), "Position:40 " + kCancelText);
    EXPECT_EQ(faults->calls("LogonEx").at(0).text, "(null)");
    EXPECT_EQ(faults->calls("LogonEx").at(0).flags, 0x33u);
    EXPECT_FALSE(session().loggedOn());
}

TEST_F(SessionTest, PromptChoiceTakesTheUsersAnswer) {
    session();
    std::vector<std::string> offered;
    subsystem->setPrompt([&](const std::vector<std::string>& names) {
        offered = names;
        return std::optional<mapi::ProfileChoice>({"work", ""});
    });
    session().SetLogonParameters(LoginPrompt, "", "");
    session().ListStores();
    EXPECT_EQ(offered, (std::vector<std::string>{"Default", "Work"}));
    EXPECT_EQ(storeNames(), std::vector<std::string>{"Office"});
}

TEST_F(SessionTest, UnknownProfileFailsWithDetails) {
    session().SetLogonParameters(LoginUserName, "Nobody", "");
    EXPECT_EQ(
        errorOf([&] { session().GetSession(); }),
        "Position:40 " + kLogonFailedText +
            "\r\nDetails:\r\nError: there is no mail profile named \"Nobody\"\r\nComponent: Larkspire mail "
            "profiles\r\n");
    EXPECT_FALSE(session().loggedOn());
}

TEST_F(SessionTest, ChoiceOutsideTheGroupMakesNoLogonCall) {
    session().SetLogonParameters(-1, "", "");
    EXPECT_EQ(errorOf([&] { session().Logon(); }), "Position:40 Invalid parameter!");
    EXPECT_EQ(faults->count("LogonEx"), 0u);
}

TEST_F(SessionTest, FailedLogonKeepsTheLoggedOnFlag) {
    session().Logon();
    fail({.operation = "LogonEx", .result = mapi::MAPI_E_LOGON_FAILED});
    EXPECT_EQ(errorOf([&] { session().Logon(); }), "Position:40 " + kLogonFailedText);
    EXPECT_TRUE(session().loggedOn()) << "a failed logon leaves the flag as it was";
    session().GetSession();
    EXPECT_EQ(faults->count("LogonEx"), 3u) << "without a session the next use logs on";
}

TEST_F(SessionTest, SessionIsKeptBetweenUses) {
    session().GetSession();
    session().GetSession();
    EXPECT_EQ(faults->count("LogonEx"), 1u);
    session().Logon();
    EXPECT_EQ(faults->count("LogonEx"), 2u) << "Test Login logs on afresh";
}

TEST_F(SessionTest, SameParametersKeepSessionAndStores) {
    session().SetLogonParameters(LoginUserName, "Default", "pw");
    session().ListStores();
    session().SetLogonParameters(LoginUserName, "Default", "pw");
    EXPECT_EQ(faults->count("Logoff"), 0u);
    EXPECT_EQ(storeNames().size(), 2u);
    EXPECT_TRUE(session().loggedOn());
}

TEST_F(SessionTest, ChangedPasswordLogsOffAndReleasesStores) {
    session().SetLogonParameters(LoginUserName, "Default", "pw");
    session().ListStores();
    auto opened = session().DefaultStore();
    opened.reset();
    session().SetLogonParameters(LoginUserName, "Default", "other");
    EXPECT_EQ(faults->count("Logoff", ObjectKind::Session), 1u);
    EXPECT_TRUE(session().stores().empty());
    EXPECT_FALSE(session().loggedOn());
    const auto logoffs = faults->calls("StoreLogoff");
    ASSERT_EQ(logoffs.size(), 1u) << "the opened default store is logged off when released";
    EXPECT_EQ(logoffs[0].flags, mapi::LOGOFF_NO_WAIT);
}

TEST_F(SessionTest, ChangesWhileLoggedOffOnlyStoreTheValues) {
    session().SetLogonParameters(LoginUserName, "Work", "a");
    EXPECT_EQ(faults->count("Logoff"), 0u);
    EXPECT_EQ(session().profileName(), "Work");
}

TEST_F(SessionTest, InitializeFailureIsAnErrorOfCreate) {
    fail({.operation = "Initialize", .result = mapi::MAPI_E_CALL_FAILED});
    EXPECT_EQ(errorOf([&] { session(); }), "Position:30 MAPI_E_CALL_FAILED");
}

TEST_F(SessionTest, DestroyLogsOffAndUninitialises) {
    {
        mapi::memory::MemoryMail other;
        other.addStore("Only", true);
        auto wrapped = std::make_shared<mapi::fault::FaultMapi>(other.makeSubsystem(), faults);
        TMapiSession local(wrapped);
        local.Logon();
    }
    EXPECT_EQ(faults->count("Logoff", ObjectKind::Session), 1u);
    EXPECT_EQ(faults->count("Uninitialize"), 1u);
}

TEST_F(SessionTest, DefaultStoreIsOpenedAndListed) {
    const auto store = session().DefaultStore();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->displayName(), "Default");
    EXPECT_TRUE(store->openedStore());
    EXPECT_EQ(store->entryId().toBinary(), mapi::makeStoreEntryId(mail.profiles()[0].stores[0].url));
    EXPECT_EQ(faults->calls("OpenMsgStore").at(0).flags, 0x94u);
    session().DefaultStore();
    EXPECT_EQ(storeNames(), (std::vector<std::string>{"Default", "Default"})) << "each call appends one";
}

TEST_F(SessionTest, NoStoreFlaggedDefaultIsCallFailedWithDetails) {
    mail.addStore("Loose", false, "Plain");
    session().SetLogonParameters(LoginUserName, "Plain", "");
    fail({.operation = "GetLastError",
          .kind = ObjectKind::Session,
          .result = mapi::S_OK,
          .lastError = mapi::MapiError{std::string("no default"), std::nullopt}});
    EXPECT_EQ(errorOf([&] { session().DefaultStore(); }),
              "Position:20.001 MAPI_E_CALL_FAILED\r\nDetails:\r\nError: no default\r\n");
}

TEST_F(SessionTest, NoRowsOrNoTableGiveNoStoreWithoutError) {
    mail.addStoreEntry("", "memory:none", false, "Empty");
    mail.profiles();
    session().SetLogonParameters(LoginUserName, "Empty", "");
    fail({.operation = "QueryRows", .result = mapi::S_OK, .rows = mapi::RowSet{}});
    EXPECT_EQ(session().DefaultStore(), nullptr);
    fail({.operation = "GetMsgStoresTable", .result = mapi::MAPI_E_NO_ACCESS});
    EXPECT_EQ(session().DefaultStore(), nullptr);
    EXPECT_TRUE(session().stores().empty());
}

TEST_F(SessionTest, DefaultStoreThatCannotBeOpened) {
    mail.addStoreEntry("Gone", "nosuch:/x", true, "Broken");
    session().SetLogonParameters(LoginUserName, "Broken", "");
    EXPECT_EQ(
        errorOf([&] { session().DefaultStore(); }),
        "Position:OpenMsgStore:Default MAPI_E_NO_SUPPORT - The container has no child containers and cannot "
        "provide a hierarchy table. \r\nDetails:\r\nError: store \"Gone\" (nosuch:/x): this program cannot "
        "open stores of this kind\r\nComponent: Larkspire mail profiles\r\n");
}

TEST_F(SessionTest, FreeingTheDefaultEntryIdIsChecked) {
    session().GetSession();
    // The tag array is freed first, the entry id buffer second.
    fail({.operation = "FreeBuffer", .nth = 2, .result = mapi::MAPI_E_INVALID_PARAMETER});
    EXPECT_EQ(errorOf([&] { session().DefaultStore(); }), "Position:20 Invalid parameter!");
}

TEST_F(SessionTest, StoresWithoutNameOrEntryId) {
    const auto id = mail.profiles()[0].stores[0].entryId;
    fail({.operation = "QueryRows",
          .kind = ObjectKind::Table,
          .result = mapi::S_OK,
          .rows = mapi::RowSet{{mapi::PropValue::string(mapi::PR_DISPLAY_NAME_A, "A"),
                                mapi::PropValue::binary(mapi::PR_ENTRYID, id)},
                               {mapi::PropValue::error(mapi::PR_DISPLAY_NAME_A, mapi::MAPI_E_NOT_FOUND),
                                mapi::PropValue::binary(mapi::PR_ENTRYID, id)},
                               {mapi::PropValue::string(mapi::PR_DISPLAY_NAME_A, "No id"),
                                mapi::PropValue::error(mapi::PR_ENTRYID, mapi::MAPI_E_NOT_FOUND)},
                               {mapi::PropValue::string(mapi::PR_DISPLAY_NAME_A, "C"),
                                mapi::PropValue::binary(mapi::PR_ENTRYID, id)}}});
    session().ListStores();
    EXPECT_EQ(storeNames(), (std::vector<std::string>{"A", "Unknown", "C"}));
}

TEST_F(SessionTest, ListStoresAllocationIsChecked) {
    session().GetSession();
    fail({.operation = "AllocateBuffer", .result = mapi::MAPI_E_NOT_ENOUGH_MEMORY});
    EXPECT_EQ(errorOf([&] { session().ListStores(); }), "Position:330 MAPI_E_NOT_ENOUGH_MEMORY");
}

TEST_F(SessionTest, UnreadableStoreTableLeavesTheListEmpty) {
    session().ListStores();
    fail({.operation = "QueryRows", .result = mapi::MAPI_E_NETWORK_ERROR});
    session().ListStores();
    EXPECT_TRUE(session().stores().empty());
}

TEST_F(SessionTest, ReleasedStoresStayUsableByTheirHolders) {
    session().ListStores();
    const auto held = session().stores().at(1).second;
    session().Logoff();
    EXPECT_TRUE(session().stores().empty());
    EXPECT_EQ(held->displayName(), "Archive");
    EXPECT_TRUE(held->OpenStore()) << "the holder opens it through a new logon";
}

} // namespace
} // namespace mailstore
