#include "mapi/EntryIds.h"

#include <gtest/gtest.h>

namespace mapi {
namespace {

std::uint64_t readLittleEndian(const Binary& bytes, std::size_t offset, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[offset + i];
    return value;
}

TEST(EntryIds, StoreIdFollowsThePublishedHashes) {
    // FNV-1a test vectors: 32-bit of "" is 811C9DC5, 64-bit of "a" is AF63DC4C8601EC8C.
    const Binary id = makeStoreEntryId("a");
    ASSERT_EQ(id.size(), kStoreEntryIdSize);
    EXPECT_EQ(std::string(id.begin(), id.begin() + 4), "LKSP");
    EXPECT_EQ(readLittleEndian(id, 4, 4), 0x811C9DC5u);
    EXPECT_EQ(readLittleEndian(id, 8, 8), 0xAF63DC4C8601EC8Cu);
}

TEST(EntryIds, KindAndStoreDifferByUrl) {
    const Binary maildir = makeStoreEntryId("maildir:/home/me/Maildir");
    const Binary other = makeStoreEntryId("maildir:/home/me/Other");
    const Binary mbox = makeStoreEntryId("mbox:/home/me/Maildir");
    EXPECT_EQ(Binary(maildir.begin() + 4, maildir.begin() + 8), Binary(other.begin() + 4, other.begin() + 8));
    EXPECT_NE(Binary(maildir.begin() + 4, maildir.begin() + 8), Binary(mbox.begin() + 4, mbox.begin() + 8));
    EXPECT_NE(Binary(maildir.begin() + 8, maildir.end()), Binary(other.begin() + 8, other.end()));
    EXPECT_EQ(maildir, makeStoreEntryId("maildir:/home/me/Maildir"));
}

TEST(EntryIds, ObjectIdsCarryTheirStoreAndKey) {
    const Binary store = makeStoreEntryId("memory:Personal");
    const Binary folder = makeObjectEntryId(store, std::string_view("INBOX/.Work"));
    EXPECT_TRUE(belongsToStore(folder, store));
    EXPECT_EQ(objectKeyString(folder, store), "INBOX/.Work");
    EXPECT_EQ(objectKey(store, store), Binary{});
    EXPECT_FALSE(objectKey(folder, makeStoreEntryId("memory:Other")).has_value());
    EXPECT_FALSE(isOurEntryId(Binary(30, 0)));
}

} // namespace
} // namespace mapi
