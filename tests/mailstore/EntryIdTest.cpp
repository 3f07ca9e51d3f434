#include "mailstore/EntryId.h"
#include "mailstore/TMapiUserFolder.h"
#include "mailstore/TStore.h"

#include <gtest/gtest.h>

namespace mailstore {
namespace {

mapi::Binary bytes(std::size_t count, std::uint8_t first) {
    mapi::Binary result(count);
    for (std::size_t i = 0; i < count; ++i)
        result[i] = static_cast<std::uint8_t>(first + i);
    return result;
}

TEST(EntryId, NeverHolderIsTwentyFourZeroBytes) {
    const EntryId id;
    EXPECT_EQ(id.size(), 24u);
    EXPECT_EQ(id.toBinary(), mapi::Binary(24, 0));
}

TEST(EntryId, SizeBelowTwentyFourBecomesTwentyFour) {
    EntryId id;
    id.setSize(46);
    id.setSize(16);
    EXPECT_EQ(id.size(), 24u);
}

TEST(EntryId, SameSizeKeepsBufferAndBytes) {
    EntryId id;
    const auto source = bytes(46, 1);
    id.setSize(46);
    id.copyFrom(source.data());
    const std::uint8_t* buffer = id.data();
    id.setSize(46);
    EXPECT_EQ(id.data(), buffer);
    EXPECT_EQ(id.toBinary(), source);
}

TEST(EntryId, OtherSizeReplacesBuffer) {
    EntryId id;
    id.setSize(30);
    id.copyFrom(bytes(30, 7).data());
    id.setSize(40);
    EXPECT_EQ(id.size(), 40u);
    EXPECT_EQ(id.toBinary(), mapi::Binary(40, 0));
}

TEST(EntryId, CopyWithoutSourceChangesNothing) {
    EntryId id;
    id.copyFrom(bytes(24, 3).data());
    id.copyFrom(nullptr);
    EXPECT_EQ(id.toBinary(), bytes(24, 3));
}

TEST(EntryId, ShortIdIsPaddedWithoutReadingPastIt) {
    EntryId id;
    id.assign(bytes(16, 1));
    mapi::Binary expected = bytes(16, 1);
    expected.resize(24, 0);
    EXPECT_EQ(id.toBinary(), expected);
}

TEST(FolderIdentity, CopiesEntryIdsAndStoreNameOnly) {
    auto sourceStore = std::make_shared<TStore>("Archive", bytes(24, 10), nullptr);
    TMapiUserFolder source(bytes(40, 50), sourceStore);
    auto target = TMapiUserFolder::makeEmpty(nullptr);
    const auto placeholder = target->store();
    EXPECT_EQ(placeholder->displayName(), "dummy");

    copyFolderIdentity(*target, source);

    EXPECT_EQ(target->entryId().toBinary(), bytes(40, 50));
    EXPECT_EQ(target->store(), placeholder) << "the copy fills the target's own store object";
    EXPECT_EQ(target->store()->displayName(), "Archive");
    EXPECT_EQ(target->store()->entryId().toBinary(), bytes(24, 10));
    EXPECT_EQ(target->store()->session(), nullptr);
}

TEST(TStore, OpeningWithoutSessionFails) {
    TStore store("dummy", nullptr);
    try {
        store.OpenStore();
        FAIL() << "no error";
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "No session");
    }
}

} // namespace
} // namespace mailstore
