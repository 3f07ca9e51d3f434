#include "mapi/ProfileSubsystem.h"
#include "mapi/EntryIds.h"
#include "mapi/Helpers.h"
#include "mapi/memory/MemoryProvider.h"

#include <gtest/gtest.h>

namespace mapi {
namespace {

class ProfileSubsystemTest : public ::testing::Test {
protected:
    ProfileSubsystemTest() : store(mail.addStore("Personal", true)) {
        mail.addStoreEntry("Remote", "imap://me@host/", false);
        subsystem = mail.makeSubsystem();
        subsystem->Initialize();
    }

    std::shared_ptr<IMAPISession> logon() {
        std::shared_ptr<IMAPISession> session;
        EXPECT_EQ(subsystem->LogonEx(0, std::nullopt, std::nullopt, 0x62, session), S_OK);
        return session;
    }

    memory::MemoryMail mail;
    memory::MemoryStore& store;
    std::shared_ptr<ProfileSubsystem> subsystem;
};

TEST_F(ProfileSubsystemTest, StoreTableListsTheProfile) {
    const auto session = logon();
    std::shared_ptr<IMAPITable> table;
    ASSERT_EQ(session->GetMsgStoresTable(0, table), S_OK);
    RowSet rows;
    ASSERT_EQ(HrQueryAllRows(*table, {PR_DISPLAY_NAME_A, PR_ENTRYID, PR_DEFAULT_STORE}, nullptr, 0, rows),
              S_OK);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].getString(), "Personal");
    EXPECT_EQ(rows[0][1].getBinary(), store.entryId());
    EXPECT_TRUE(rows[0][2].getBool());
    EXPECT_EQ(rows[1][1].getBinary(), makeStoreEntryId("imap://me@host/"));
    EXPECT_FALSE(rows[1][2].getBool());
}

TEST_F(ProfileSubsystemTest, UnknownKindFailsAtOpeningNotAtLogon) {
    const auto session = logon();
    std::shared_ptr<IMsgStore> opened;
    EXPECT_EQ(session->OpenMsgStore(0, makeStoreEntryId("imap://me@host/"), Iid::IMsgStore, 0x94, opened),
              MAPI_E_NO_SUPPORT);
    EXPECT_EQ(session->OpenMsgStore(0, makeStoreEntryId("maildir:/elsewhere"), Iid::IMsgStore, 0x94, opened),
              MAPI_E_NOT_FOUND);
    std::optional<MapiError> error;
    session->GetLastError(MAPI_E_NOT_FOUND, 0, error);
    ASSERT_TRUE(error && error->error);
    EXPECT_EQ(*error->error, "no store of profile \"Default\" has this entry id");
    EXPECT_EQ(session->OpenMsgStore(0, store.entryId(), Iid::IMsgStore, 0x94, opened), S_OK);
    EXPECT_TRUE(opened);
}

TEST_F(ProfileSubsystemTest, LogonNeedsInitialize) {
    ProfileSubsystem fresh(fixedProfiles(mail.profiles()), nullptr);
    std::shared_ptr<IMAPISession> session;
    EXPECT_EQ(fresh.LogonEx(0, std::nullopt, std::nullopt, 0x62, session), MAPI_E_NOT_INITIALIZED);
}

TEST_F(ProfileSubsystemTest, ProfileSourceErrorIsTheLastError) {
    ProfileSubsystem broken([]() -> std::vector<Profile> { throw ProfilesError("/p.ini:3: bad line"); },
                            nullptr);
    broken.Initialize();
    std::shared_ptr<IMAPISession> session;
    EXPECT_EQ(broken.LogonEx(0, std::nullopt, std::nullopt, 0x62, session), MAPI_E_NOT_INITIALIZED);
    std::optional<MapiError> error;
    broken.GetLastError(MAPI_E_NOT_INITIALIZED, 0, error);
    ASSERT_TRUE(error && error->error);
    EXPECT_EQ(*error->error, "/p.ini:3: bad line");
}

TEST_F(ProfileSubsystemTest, LoggedOffSessionOpensNothing) {
    const auto session = logon();
    session->Logoff(0, 0, 0);
    std::shared_ptr<IMsgStore> opened;
    EXPECT_TRUE(failed(session->OpenMsgStore(0, store.entryId(), Iid::IMsgStore, 0x94, opened)));
}

TEST_F(ProfileSubsystemTest, ShowFormOpensTheMessageFileWithTheDesktop) {
    const auto withFile =
        store.addMessage(store.root(), {PropValue::string(PR_MESSAGE_FILE_PATH_A, "/mail/cur/1:2,S")});
    const auto withoutFile = store.addMessage(store.root(), {});
    std::vector<std::string> opened;
    subsystem->setDesktopOpener([&](const std::string& path) {
        opened.push_back(path);
        return S_OK;
    });
    const auto session = logon();
    std::shared_ptr<IMsgStore> msgStore;
    session->OpenMsgStore(0, store.entryId(), Iid::IMsgStore, 0x94, msgStore);
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> folder;
    msgStore->OpenEntry(store.entryIdOf(store.root()), Iid::IMAPIFolder, 0x8, type, folder);

    for (const auto ref : {withFile, withoutFile}) {
        std::shared_ptr<IMAPIProp> message;
        ASSERT_EQ(msgStore->OpenEntry(store.entryIdOf(ref), Iid::IMessage, 0x10, type, message), S_OK);
        std::uint32_t token = 0;
        ASSERT_EQ(session->PrepareForm(Iid::IMessage, dynamic_cast<IMessage&>(*message), token), S_OK);
        const HRESULT hr = session->ShowForm(0, *msgStore, dynamic_cast<IMAPIFolder&>(*folder), Iid::IMessage,
                                             token, nullptr, 1, 0, 0, 0, "IPM.Note");
        EXPECT_EQ(hr, ref == withFile ? S_OK : MAPI_E_NO_SUPPORT);
    }
    EXPECT_EQ(opened, std::vector<std::string>{"/mail/cur/1:2,S"});
}

} // namespace
} // namespace mapi
