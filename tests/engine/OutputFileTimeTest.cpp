#include "engine/OutputFileTime.h"

#include "platform/DateTime.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A scratch folder and a time zone fixed for the test, so UTC results are known.
class OutputFileTimeTest : public testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        m_savedZone = zone ? std::optional<std::string>(zone) : std::nullopt;
        // Central European time written as a rule, so no zone database is needed.
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override {
        if (m_savedZone) {
            ::setenv("TZ", m_savedZone->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    fs::path makeFile(const std::string& name) { return m_folder.writeFile(name, "body"); }

    static struct stat statOf(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0);
        return info;
    }

    testsupport::TemporaryFolder m_folder;
    std::optional<std::string> m_savedZone;
};

TEST_F(OutputFileTimeTest, SetsAccessAndModificationTimeInUtc) {
    const fs::path path = makeFile("00001.txt");
    // 31 January 2024 14:05:09.250 local winter time is 13:05:09.250 UTC.
    EXPECT_EQ(engine::setOutputFileTime(path, platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9, 250)), 0);
    const struct stat info = statOf(path);
    EXPECT_EQ(info.st_mtim.tv_sec, 1706706309);
    EXPECT_EQ(info.st_mtim.tv_nsec, 250'000'000);
    EXPECT_EQ(info.st_atim.tv_sec, 1706706309);
}

TEST_F(OutputFileTimeTest, SummerDateUsesSummerOffset) {
    const fs::path path = makeFile("00002.txt");
    // 1 July 2024 12:00 local summer time is 10:00 UTC.
    EXPECT_EQ(engine::setOutputFileTime(path, platform::dateTimeFromParts(2024, 7, 1, 12)), 0);
    EXPECT_EQ(statOf(path).st_mtim.tv_sec, 1719828000);
}

TEST_F(OutputFileTimeTest, MissingFileGivesMinusOne) {
    EXPECT_EQ(engine::setOutputFileTime(m_folder / "missing.txt", 45000.0), -1);
    EXPECT_FALSE(fs::exists(m_folder / "missing.txt"));
}

TEST_F(OutputFileTimeTest, FolderOrLinkCannotBeOpened) {
    const fs::path target = makeFile("target.txt");
    const struct stat before = statOf(target);
    fs::create_symlink(target, m_folder / "link.txt");
    EXPECT_EQ(engine::setOutputFileTime(m_folder / "link.txt", 45000.0), -1);
    EXPECT_EQ(engine::setOutputFileTime(m_folder.path(), 45000.0), -1);
    EXPECT_EQ(statOf(target).st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST_F(OutputFileTimeTest, UnrepresentableTimeIsAnErrorCode) {
    const fs::path path = makeFile("00003.txt");
    EXPECT_EQ(engine::setOutputFileTime(path, 1e300), EINVAL);
}

} // namespace
