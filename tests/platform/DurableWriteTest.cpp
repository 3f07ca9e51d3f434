// The durable writer: where its temporary file lives, what a commit leaves, the times it keeps,
// the steps it counts, and failures that name the path and leave nothing behind.

#include "platform/DurableWrite.h"
#include "platform/StepCounter.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>

namespace {

namespace fs = std::filesystem;
using testsupport::TemporaryFolder;

TEST(DurableWrite, WritesThroughATemporaryFileInTheGivenFolderAndKeepsTheTime) {
    TemporaryFolder folder;
    fs::create_directories(folder / "cur");
    fs::create_directories(folder / "tmp");
    const fs::path target = folder / "cur" / "message";
    folder.writeFile("cur/message", "old");
    const long before = platform::durableStepsTaken();
    {
        platform::DurableFileWriter writer(target, folder / "tmp");
        EXPECT_EQ(writer.temporaryPath().parent_path(), folder / "tmp");
        writer.write("new ");
        writer.write("content");
        writer.setModificationTime(1706709909, 500);
        EXPECT_EQ(TemporaryFolder::readFile(target), "old");
        writer.commit();
    }
    // create, two writes, the time, fsync and rename
    EXPECT_EQ(platform::durableStepsTaken() - before, 6);
    EXPECT_EQ(TemporaryFolder::readFile(target), "new content");
    EXPECT_TRUE(fs::is_empty(folder / "tmp"));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1706709909);
    EXPECT_EQ(info.st_mtim.tv_nsec, 500);
}

TEST(DurableWrite, APlantedLinkIsReplacedNotFollowed) {
    TemporaryFolder folder;
    const fs::path outside = folder.writeFile("outside", "keep");
    fs::create_directories(folder / "out");
    fs::create_symlink(outside, folder / "out" / "file");
    platform::writeFileDurably(folder / "out" / "file", "written");
    EXPECT_EQ(TemporaryFolder::readFile(outside), "keep");
    EXPECT_FALSE(fs::is_symlink(folder / "out" / "file"));
    EXPECT_EQ(TemporaryFolder::readFile(folder / "out" / "file"), "written");
}

TEST(DurableWrite, AnAbandonedWriteLeavesNothing) {
    TemporaryFolder folder;
    fs::path temporary;
    {
        platform::DurableFileWriter writer(folder / "file");
        writer.write("half");
        temporary = writer.temporaryPath();
        EXPECT_TRUE(fs::exists(temporary));
    }
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_FALSE(fs::exists(folder / "file"));
}

TEST(DurableWrite, FailuresNameThePathAndTheReason) {
    TemporaryFolder folder;
    const fs::path missing = folder / "no-such-folder" / "file";
    try {
        platform::DurableFileWriter writer(missing, folder / "no-such-tmp");
        FAIL() << "created a file in a missing folder";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_NE(std::string(error.what()).find(missing.string()), std::string::npos) << error.what();
    }
    EXPECT_THROW(platform::renameDurably(folder / "absent", folder / "other"), std::system_error);
    try {
        platform::removeDurably(folder / "absent");
        FAIL() << "removed a missing file";
    } catch (const std::system_error& error) {
        EXPECT_NE(std::string(error.what()).find("absent"), std::string::npos);
    }
    const fs::path present = folder.writeFile("present", "x");
    platform::removeDurably(present);
    EXPECT_FALSE(fs::exists(present));
}

} // namespace
