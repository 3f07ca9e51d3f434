#include "ui/SwitchFile.h"

#include <gtest/gtest.h>

namespace {

TEST(SwitchFileTest, EveryLineEndEndsASwitchAndEmptyLinesAreSkipped) {
    EXPECT_EQ(ui::switchFileSwitches("/F=a b.lks\r\n\r\n/G\r\r /Q\n\n/UPDATECOUNT\r\n"),
              (std::vector<std::string>{"/F=a b.lks", "/G", " /Q", "/UPDATECOUNT"}));
}

TEST(SwitchFileTest, ALastLineWithoutLineEndIsASwitch) {
    EXPECT_EQ(ui::switchFileSwitches("/G\n/Q"), (std::vector<std::string>{"/G", "/Q"}));
    EXPECT_TRUE(ui::switchFileSwitches("\r\n\n\r").empty());
}

} // namespace
