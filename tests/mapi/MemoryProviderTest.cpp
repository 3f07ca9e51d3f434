#include "mapi/memory/MemoryProvider.h"
#include "mapi/Helpers.h"
#include "mapi/memory/MemoryObjects.h"

#include <gtest/gtest.h>

namespace mapi::memory {
namespace {

class MemoryProviderTest : public ::testing::Test {
protected:
    MemoryProviderTest() : data(std::make_shared<MemoryStore>("Test")) {
        inbox = data->addFolder(data->root(), "Inbox");
        data->setReceiveFolder(inbox);
        message = data->addMessage(
            inbox, {PropValue::string(PR_SUBJECT_A, "Hello"), PropValue::integer(PR_MESSAGE_FLAGS, 0)},
            std::string("body text"));
        store = std::make_shared<MemoryMsgStore>(data, data->entryId());
    }

    template <class T> std::shared_ptr<T> open(const Binary& entryId, Iid iid) {
        std::uint32_t type = 0;
        std::shared_ptr<IMAPIProp> object;
        EXPECT_EQ(store->OpenEntry(entryId, iid, 0x10, type, object), S_OK);
        return std::dynamic_pointer_cast<T>(object);
    }

    std::shared_ptr<MemoryStore> data;
    FolderRef inbox;
    MessageRef message;
    std::shared_ptr<MemoryMsgStore> store;
};

TEST_F(MemoryProviderTest, ReceiveFolderAndSubtree) {
    Binary entryId;
    std::string explicitClass;
    ASSERT_EQ(store->GetReceiveFolder("IPM", 0, entryId, explicitClass), S_OK);
    EXPECT_EQ(entryId, data->entryIdOf(inbox));
    std::optional<PropValue> root;
    ASSERT_EQ(HrGetOneProp(*store, PR_IPM_SUBTREE_ENTRYID, root), S_OK);
    EXPECT_EQ(root->getBinary(), data->entryIdOf(data->root()));
    std::vector<PropValue> values;
    EXPECT_EQ(store->GetProps({PR_MDB_PROVIDER}, 0, values), MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(values.at(0), PropValue::error(PR_MDB_PROVIDER, MAPI_E_NOT_FOUND));
}

TEST_F(MemoryProviderTest, OpenEntryChecksKindAndStore) {
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    EXPECT_EQ(store->OpenEntry(data->entryIdOf(inbox), Iid::IMessage, 0, type, object),
              MAPI_E_INTERFACE_NOT_SUPPORTED);
    EXPECT_EQ(store->OpenEntry(MemoryStore("Other").entryIdOf(inbox), Iid::IMAPIProp, 0, type, object),
              MAPI_E_INVALID_ENTRYID);
    ASSERT_EQ(store->OpenEntry(data->entryIdOf(inbox), Iid::IMAPIProp, 0, type, object), S_OK);
    EXPECT_EQ(type, MAPI_FOLDER);
    EXPECT_TRUE(std::dynamic_pointer_cast<IMAPIFolder>(object));
}

TEST_F(MemoryProviderTest, SaveDetectsAChangeMadeElsewhere) {
    const auto opened = open<IMessage>(data->entryIdOf(message), Iid::IMessage);
    opened->SetProps({PropValue::string(PR_SUBJECT_A, "[Done] Hello")}, nullptr);
    EXPECT_EQ(data->prop(message, PR_SUBJECT_A)->getString(), "Hello") << "not written before SaveChanges";
    data->setProp(message, PropValue::string(PR_DISPLAY_CC_A, "Someone"));
    EXPECT_EQ(opened->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_OBJECT_CHANGED);
    EXPECT_EQ(opened->SaveChanges(FORCE_SAVE), S_OK);
    EXPECT_EQ(data->prop(message, PR_SUBJECT_A)->getString(), "[Done] Hello");
}

TEST_F(MemoryProviderTest, ReadFlagIsWrittenAtOnce) {
    const auto opened = open<IMessage>(data->entryIdOf(message), Iid::IMessage);
    ASSERT_EQ(opened->SetReadFlag(SUPPRESS_RECEIPT), S_OK);
    EXPECT_EQ(data->prop(message, PR_MESSAGE_FLAGS)->getLong() & MSGFLAG_READ, 1);
    EXPECT_EQ(opened->SaveChanges(KEEP_OPEN_READWRITE), S_OK) << "its own flag change does not make it stale";
}

TEST_F(MemoryProviderTest, BodyStreamAndMissingBody) {
    const auto opened = open<IMessage>(data->entryIdOf(message), Iid::IMessage);
    std::shared_ptr<IStream> stream;
    ASSERT_EQ(opened->OpenProperty(PR_BODY_A, Iid::IStream, 0, 0x8, stream), S_OK);
    char buffer[5];
    std::uint32_t read = 0;
    std::string text;
    do {
        ASSERT_EQ(stream->Read(buffer, sizeof buffer, read), S_OK);
        text.append(buffer, read);
    } while (read > 0);
    EXPECT_EQ(text, "body text");
    data->setBody(message, std::nullopt);
    const auto reopened = open<IMessage>(data->entryIdOf(message), Iid::IMessage);
    EXPECT_EQ(reopened->OpenProperty(PR_BODY_A, Iid::IStream, 0, 0x8, stream), MAPI_E_NOT_FOUND);
}

TEST_F(MemoryProviderTest, MoveBetweenFolders) {
    const auto archive = data->addFolder(data->root(), "Archive");
    const auto source = open<IMAPIFolder>(data->entryIdOf(inbox), Iid::IMAPIFolder);
    const auto destination = open<IMAPIFolder>(data->entryIdOf(archive), Iid::IMAPIFolder);
    ASSERT_EQ(source->CopyMessages({data->entryIdOf(message)}, Iid::IMAPIFolder, *destination, 0, nullptr,
                                   MESSAGE_MOVE),
              S_OK);
    EXPECT_TRUE(data->messages(inbox).empty());
    EXPECT_EQ(data->messages(archive), std::vector<MessageRef>{message});
    EXPECT_EQ(source->CopyMessages({data->entryIdOf(message)}, Iid::IMAPIFolder, *destination, 0, nullptr,
                                   MESSAGE_MOVE),
              MAPI_W_PARTIAL_COMPLETION)
        << "the message is no longer in the source";
}

TEST_F(MemoryProviderTest, ContentsTableSortsBySubmitTime) {
    data->addMessage(inbox,
                     {PropValue::time(PR_CLIENT_SUBMIT_TIME, {300}), PropValue::string(PR_SUBJECT_A, "c")});
    data->addMessage(inbox,
                     {PropValue::time(PR_CLIENT_SUBMIT_TIME, {100}), PropValue::string(PR_SUBJECT_A, "a")});
    const auto folder = open<IMAPIFolder>(data->entryIdOf(inbox), Iid::IMAPIFolder);
    std::shared_ptr<IMAPITable> table;
    ASSERT_EQ(folder->GetContentsTable(0, table), S_OK);
    const SortOrderSet order{{PR_CLIENT_SUBMIT_TIME, false}};
    RowSet rows;
    ASSERT_EQ(HrQueryAllRows(*table, {PR_SUBJECT_A}, &order, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].getString(), "Hello") << "a missing sort value comes first";
    EXPECT_EQ(rows[1][0].getString(), "a");
    EXPECT_EQ(rows[2][0].getString(), "c");
}

} // namespace
} // namespace mapi::memory
