#include "ui/RecentFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(RecentFilesTest, NewestFirstAndCutToTen) {
    ui::RecentFiles recent;
    for (int i = 1; i <= 11; ++i)
        recent.add("/jobs/" + std::to_string(i) + ".lks");
    ASSERT_EQ(recent.paths().size(), 10u);
    EXPECT_EQ(recent.paths().front(), "/jobs/11.lks");
    EXPECT_EQ(recent.paths().back(), "/jobs/2.lks");
}

TEST(RecentFilesTest, SamePathInOtherCaseMovesTheEntryToTheTop) {
    ui::RecentFiles recent;
    recent.add("/jobs/Daily.lks");
    recent.add("/jobs/weekly.lks");
    recent.add("/JOBS/daily.LKS");
    EXPECT_EQ(recent.paths(), (std::vector<std::string>{"/jobs/Daily.lks", "/jobs/weekly.lks"}));
}

TEST(RecentFilesTest, StoredListKeepsItsOrder) {
    ui::RecentFiles recent;
    std::vector<std::string> stored;
    for (int i = 0; i < 12; ++i)
        stored.push_back("/s/" + std::to_string(i));
    recent.assign(stored);
    EXPECT_EQ(recent.paths().size(), 10u);
    EXPECT_EQ(recent.paths().front(), "/s/0");
    recent.add("/new");
    EXPECT_EQ(recent.paths().front(), "/new");
    EXPECT_EQ(recent.paths().back(), "/s/8");
}

} // namespace
