#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ProgramFolderTest, IsTheAbsoluteFolderOfThisExecutableWithASlash) {
    const std::string& folder = platform::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "test_platform"));
}

} // namespace
