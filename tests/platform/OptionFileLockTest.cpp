#include "platform/OptionFileLock.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using platform::OptionFileBusy;
using platform::OptionFileLock;
using Clock = std::chrono::steady_clock;

// flock locks belong to an open file description, so two locks of one process keep each other
// out just as two processes do.
class OptionFileLockTest : public ::testing::Test {
protected:
    testsupport::TemporaryFolder folder;
    std::filesystem::path job = folder.writeFile("daily.lks", "TPF0");
};

TEST_F(OptionFileLockTest, ASecondRunWaitsOutItsPatienceAndIsRefusedWithTheHolder) {
    const OptionFileLock first(job, 0ms);
    ASSERT_TRUE(first.held());
    EXPECT_EQ(first.lockFile(), folder / ".daily.lks.lock");

    const auto start = Clock::now();
    try {
        OptionFileLock second(job, 300ms);
        FAIL() << "the second lock was granted";
    } catch (const OptionFileBusy& busy) {
        EXPECT_GE(Clock::now() - start, 300ms);
        EXPECT_EQ(busy.holder(), ::getpid());
        EXPECT_EQ(std::string(busy.what()), "Another run is using the option file \"" + job.string() +
                                                "\" (process " + std::to_string(::getpid()) +
                                                ") and did not finish within 1 second; this run stops here.");
    }
}

TEST_F(OptionFileLockTest, AWaitingRunGetsTheFileWhenTheFirstEnds) {
    std::optional<OptionFileLock> first(std::in_place, job, 0ms);
    std::thread release([&first] {
        std::this_thread::sleep_for(200ms);
        first.reset();
    });
    const auto start = Clock::now();
    const OptionFileLock second(job, 10s);
    const auto waited = Clock::now() - start;
    release.join();
    EXPECT_TRUE(second.held());
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, 5s);
}

TEST_F(OptionFileLockTest, TheLockFileGoesWithTheLockAndTheNextRunMayStart) {
    {
        const OptionFileLock lock(job, 0ms);
        EXPECT_TRUE(std::filesystem::exists(lock.lockFile()));
    }
    EXPECT_FALSE(std::filesystem::exists(folder / ".daily.lks.lock"));
    EXPECT_TRUE(OptionFileLock(job, 0ms).held());
}

TEST_F(OptionFileLockTest, OtherNamesOfTheFileMeetTheSameLock) {
    std::filesystem::create_symlink(job, folder / "link.lks");
    std::filesystem::create_directory(folder / "sub");
    const OptionFileLock first(job, 0ms);
    EXPECT_THROW(OptionFileLock(folder / "link.lks", 0ms), OptionFileBusy);
    EXPECT_THROW(OptionFileLock(folder / "sub" / ".." / "daily.lks", 0ms), OptionFileBusy);
}

// Saving the next file number replaces the option file by a rename while the run holds the lock.
TEST_F(OptionFileLockTest, ReplacingTheOptionFileKeepsItLocked) {
    const OptionFileLock first(job, 0ms);
    const auto saved = folder.writeFile("daily.lks.tmp", "TPF0 saved");
    std::filesystem::rename(saved, job);
    EXPECT_THROW(OptionFileLock(job, 0ms), OptionFileBusy);
}

TEST_F(OptionFileLockTest, AMissingFileIsNotLockedSoReadingItReportsItself) {
    const OptionFileLock lock(folder / "missing.lks", 0ms);
    EXPECT_FALSE(lock.held());
    EXPECT_FALSE(std::filesystem::exists(folder / ".missing.lks.lock"));
}

// Root may write anywhere, so the read-only folder is tried as the user nobody in a child.
TEST_F(OptionFileLockTest, InAFolderWithoutWriteAccessTheOptionFileItselfIsLocked) {
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    const auto lockTwiceWithoutLockFile = [this] {
        const OptionFileLock first(job, 0ms);
        if (!first.held() || !first.lockFile().empty() || std::filesystem::exists(folder / ".daily.lks.lock"))
            return 2;
        try {
            OptionFileLock second(job, 100ms);
        } catch (const OptionFileBusy& busy) {
            return busy.holder() == 0 ? 0 : 3;
        }
        return 4;
    };
    int result = -1;
    if (::geteuid() != 0) {
        result = lockTwiceWithoutLockFile();
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
                ::_exit(5);
            ::_exit(lockTwiceWithoutLockFile());
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        result = WEXITSTATUS(status);
    }
    ::chmod(folder.path().c_str(), 0700);
    EXPECT_EQ(result, 0);
}

} // namespace
