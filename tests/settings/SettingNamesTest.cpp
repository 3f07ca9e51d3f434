#include "settings/SettingNames.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace {

using settings::valueName;
using settings::ValueName;

TEST(SettingNamesTest, SpellsTheNames) {
    EXPECT_EQ(valueName(ValueName::ProductKey), "SOFTWARE\\Tamberlock\\Larkspire");
    EXPECT_EQ(valueName(ValueName::WeftmarkFilter), "Weftmark filter");
    EXPECT_EQ(valueName(ValueName::MsgDestination), "msgDestination");
    EXPECT_EQ(valueName(ValueName::EmailHeader), "email header");
    EXPECT_EQ(valueName(ValueName::FromFolderEntryId), "from folder entry id");
    EXPECT_EQ(valueName(ValueName::RecentFiles), "SOFTWARE\\Tamberlock\\Larkspire\\Recent files");
    EXPECT_EQ(valueName(ValueName::FromCb), "from.cb");
    EXPECT_EQ(valueName(ValueName::ToStoreEntry), "to_store_entry");
    EXPECT_EQ(valueName(ValueName::WordMacro), "wordmacro");
    EXPECT_EQ(valueName(40), "readStatus");
}

TEST(SettingNamesTest, EveryAssignedNumberHasADistinctName) {
    std::set<std::string> names;
    for (int number = 0; number <= 41; ++number) {
        if (number < 10 || number > 13) {
            EXPECT_TRUE(names.insert(valueName(number)).second) << number;
        }
    }
}

class UnassignedNameTest : public testing::TestWithParam<int> {};

TEST_P(UnassignedNameTest, IsAnError) {
    try {
        valueName(GetParam());
        FAIL() << "no error";
    } catch (const std::out_of_range& error) {
        EXPECT_EQ(error.what(), "Invalid str(" + std::to_string(GetParam()) + ")");
    }
}

INSTANTIATE_TEST_SUITE_P(Numbers, UnassignedNameTest, testing::Values(10, 11, 12, 13, -1, 42, 1000));

} // namespace
