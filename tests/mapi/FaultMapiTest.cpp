#include "mapi/fault/FaultMapi.h"
#include "mapi/memory/MemoryProvider.h"

#include <gtest/gtest.h>

namespace mapi::fault {
namespace {

class FaultMapiTest : public ::testing::Test {
protected:
    FaultMapiTest() : data(mail.addStore("Personal", true)) {
        for (int i = 0; i < 5; ++i)
            data.addMessage(data.root(), {PropValue::integer(PR_MESSAGE_FLAGS, i)});
        mapi = std::make_shared<FaultMapi>(mail.makeSubsystem(), faults);
        mapi->Initialize();
    }

    std::shared_ptr<IMAPISession> logon() {
        std::shared_ptr<IMAPISession> session;
        EXPECT_EQ(mapi->LogonEx(0, std::nullopt, std::nullopt, 0x62, session), S_OK);
        return session;
    }
    std::shared_ptr<IMAPIFolder> root() {
        std::shared_ptr<IMsgStore> store;
        EXPECT_EQ(logon()->OpenMsgStore(0, data.entryId(), Iid::IMsgStore, 0x94, store), S_OK);
        std::uint32_t type = 0;
        std::shared_ptr<IMAPIProp> folder;
        EXPECT_EQ(store->OpenEntry(data.entryIdOf(data.root()), Iid::IMAPIFolder, 0x8, type, folder), S_OK);
        return std::dynamic_pointer_cast<IMAPIFolder>(folder);
    }

    memory::MemoryMail mail;
    memory::MemoryStore& data;
    std::shared_ptr<FaultInjector> faults = std::make_shared<FaultInjector>();
    std::shared_ptr<FaultMapi> mapi;
};

TEST_F(FaultMapiTest, NthCallOfTheChosenObjectFails) {
    faults->add({.operation = "QueryRows",
                 .kind = ObjectKind::Table,
                 .entryId = data.entryIdOf(data.root()),
                 .nth = 2,
                 .result = MAPI_E_NETWORK_ERROR});
    std::shared_ptr<IMAPITable> table;
    ASSERT_EQ(root()->GetContentsTable(0, table), S_OK);
    RowSet rows;
    EXPECT_EQ(table->QueryRows(2, 0, rows), S_OK);
    EXPECT_EQ(table->QueryRows(2, 0, rows), MAPI_E_NETWORK_ERROR);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(table->QueryRows(2, 0, rows), S_OK);
    EXPECT_EQ(rows.size(), 2u) << "the failed call did not reach the table";

    const auto calls = faults->calls("QueryRows");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].asked, 2);
    EXPECT_EQ(calls[0].returned, 2);
    EXPECT_TRUE(calls[1].injected);
    EXPECT_EQ(calls[1].returned, 0);
}

TEST_F(FaultMapiTest, EveryCallWhenNthIsZero) {
    faults->add({.operation = "AllocateBuffer", .nth = 0, .result = MAPI_E_NOT_ENOUGH_MEMORY});
    EXPECT_EQ(mapi->AllocateBuffer(8), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(mapi->AllocateBuffer(16), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(faults->calls("AllocateBuffer").at(1).asked, 16);
}

TEST_F(FaultMapiTest, WarningSubstitutesErrorValues) {
    faults->add({.operation = "GetProps",
                 .kind = ObjectKind::Folder,
                 .result = MAPI_W_ERRORS_RETURNED,
                 .errorTags = {PR_DISPLAY_NAME_A},
                 .errorCode = MAPI_E_NO_ACCESS});
    std::vector<PropValue> values;
    EXPECT_EQ(root()->GetProps({PR_DISPLAY_NAME_A, PR_SUBFOLDERS}, 0, values), MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], PropValue::error(PR_DISPLAY_NAME_A, MAPI_E_NO_ACCESS));
    EXPECT_EQ(values[1], PropValue::boolean(PR_SUBFOLDERS, false));
}

TEST_F(FaultMapiTest, FaultLeavesItsLastErrorOnTheObject) {
    const auto folder = root();
    faults->add({.operation = "GetHierarchyTable",
                 .result = MAPI_E_NO_ACCESS,
                 .lastError = MapiError{std::string("locked"), std::string("test")}});
    std::shared_ptr<IMAPITable> table;
    EXPECT_EQ(folder->GetHierarchyTable(0, table), MAPI_E_NO_ACCESS);
    std::optional<MapiError> error;
    folder->GetLastError(MAPI_E_NO_ACCESS, 0, error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->error, "locked");
    EXPECT_EQ(folder->GetHierarchyTable(0, table), S_OK);
    folder->GetLastError(S_OK, 0, error);
    EXPECT_FALSE(error) << "a call that went through forgets the injected error";
}

TEST_F(FaultMapiTest, WrappedObjectsWorkTogether) {
    const auto archive = data.addFolder(data.root(), "Archive");
    const auto source = root();
    std::shared_ptr<IMsgStore> store;
    logon()->OpenMsgStore(0, data.entryId(), Iid::IMsgStore, 0x94, store);
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> destination;
    store->OpenEntry(data.entryIdOf(archive), Iid::IMAPIFolder, 0x8, type, destination);
    const auto first = data.messages(data.root()).front();
    EXPECT_EQ(source->CopyMessages({data.entryIdOf(first)}, Iid::IMAPIFolder,
                                   dynamic_cast<IMAPIFolder&>(*destination), 0, nullptr, MESSAGE_MOVE),
              S_OK);
    EXPECT_EQ(data.folderOf(first), archive);
}

} // namespace
} // namespace mapi::fault
