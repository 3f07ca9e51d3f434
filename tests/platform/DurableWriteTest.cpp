// The durable writer and the batch writer: where temporary files live, what a commit leaves, the
// times kept, the steps counted, failures that name the path and leave nothing behind, and a stop
// at every step of a batch.

#include "platform/DurableWrite.h"
#include "platform/StepCounter.h"
#include "support/StoppedChild.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

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

// The files of a folder, hidden ones (temporary files) included.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

TEST(DurableBatch, CommitRenamesEveryStagedFileAtOnceInEachFolder) {
    TemporaryFolder folder;
    folder.writeFile("out/one", "old one");
    fs::create_directories(folder / "other");
    platform::DurableBatch batch;
    const long before = platform::durableStepsTaken();
    batch.stage(folder / "out/one", {"new ", "one"});
    const std::timespec received{1117812263, 0};
    batch.stage(folder / "out/two", {"two", ""}, received);
    batch.stage(folder / "other/three", {"three"});
    EXPECT_EQ(batch.size(), 3u);
    EXPECT_EQ(batch.bytes(), 15u);
    // Nothing is under a final name before the commit, and the staged files have no names yet.
    EXPECT_EQ(TemporaryFolder::readFile(folder / "out/one"), "old one");
    EXPECT_FALSE(fs::exists(folder / "out/two"));
    EXPECT_EQ(namesIn(folder / "out"), (Names{"one"}));
    batch.commit();
    // create and write for each file, the sync, a rename for each file
    EXPECT_EQ(platform::durableStepsTaken() - before, 10);
    EXPECT_EQ(batch.committed(), 3u);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(batch.bytes(), 0u);
    EXPECT_EQ(TemporaryFolder::readFile(folder / "out/one"), "new one");
    EXPECT_EQ(TemporaryFolder::readFile(folder / "out/two"), "two");
    EXPECT_EQ(TemporaryFolder::readFile(folder / "other/three"), "three");
    EXPECT_EQ(namesIn(folder / "out"), (Names{"one", "two"}));
    EXPECT_EQ(namesIn(folder / "other"), (Names{"three"}));
    // A staged time survives the rename; a file staged without one has the time of its writing.
    struct stat two {};
    struct stat three {};
    ASSERT_EQ(::stat((folder / "out/two").c_str(), &two), 0);
    ASSERT_EQ(::stat((folder / "other/three").c_str(), &three), 0);
    EXPECT_EQ(two.st_mtim.tv_sec, received.tv_sec);
    EXPECT_GT(three.st_mtim.tv_sec, received.tv_sec);
    // The batch starts again empty; an empty commit changes nothing.
    batch.commit();
    EXPECT_EQ(batch.committed(), 0u);
}

TEST(DurableBatch, ASyncOnAnotherThreadIsTheFirstHalfOfTheCommitAndADiscardLeavesNothing) {
    TemporaryFolder folder;
    fs::create_directories(folder / "out");
    platform::DurableBatch synced;
    platform::DurableBatch discarded;
    synced.stage(folder / "out/one", {"one"});
    discarded.stage(folder / "out/two", {"two"});
    const long before = platform::durableStepsTaken();
    std::thread([&] { synced.sync(); }).join();
    EXPECT_EQ(platform::durableStepsTaken() - before, 1); // the sync
    EXPECT_FALSE(fs::exists(folder / "out/one"));
    synced.commit();
    EXPECT_EQ(platform::durableStepsTaken() - before, 2); // and the rename, no second sync
    EXPECT_EQ(TemporaryFolder::readFile(folder / "out/one"), "one");
    discarded.discard();
    EXPECT_TRUE(discarded.empty());
    EXPECT_EQ(namesIn(folder / "out"), (Names{"one"}));
    // A discarded batch is empty, and staging again starts a new one.
    discarded.stage(folder / "out/three", {"three"});
    discarded.commit();
    EXPECT_EQ(namesIn(folder / "out"), (Names{"one", "three"}));
}

TEST(DurableBatch, AFailedRenameKeepsTheFilesBeforeItAndRemovesTheRest) {
    TemporaryFolder folder;
    fs::create_directories(folder / "taken");
    folder.writeFile("third", "old third");
    platform::DurableBatch batch;
    batch.stage(folder / "first", {"1"});
    batch.stage(folder / "taken", {"2"});
    batch.stage(folder / "third", {"3"});
    try {
        batch.commit();
        FAIL() << "renamed a file over a folder";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), EISDIR);
        EXPECT_EQ(std::string(error.what()),
                  "Cannot replace '" + (folder / "taken").string() + "': " + std::strerror(EISDIR));
    }
    EXPECT_EQ(batch.committed(), 1u);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(TemporaryFolder::readFile(folder / "first"), "1");
    EXPECT_TRUE(fs::is_empty(folder / "taken"));
    EXPECT_EQ(TemporaryFolder::readFile(folder / "third"), "old third");
    EXPECT_EQ(namesIn(folder.path()), (Names{"first", "taken", "third"}));
}

TEST(DurableBatch, StagingFailuresAndAbandonedBatchesLeaveNothing) {
    TemporaryFolder folder;
    {
        platform::DurableBatch batch;
        batch.stage(folder / "kept-back", {"x"});
        const fs::path missing = folder / "no-such-folder" / "file";
        try {
            batch.stage(missing, {"y"});
            FAIL() << "staged a file in a missing folder";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code().value(), ENOENT);
            EXPECT_EQ(std::string(error.what()),
                      "Cannot create '" + missing.string() + "': " + std::strerror(ENOENT));
        }
        EXPECT_EQ(batch.size(), 1u);
        EXPECT_EQ(batch.bytes(), 1u);
        EXPECT_TRUE(fs::is_empty(folder.path()));
    }
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(DurableBatch, RemovingFilesTriesEveryOneAndNamesTheFirstFailure) {
    TemporaryFolder folder;
    const fs::path first = folder.writeFile("first", "1");
    const fs::path last = folder.writeFile("last", "3");
    try {
        platform::removeDurably(std::vector<fs::path>{first, folder / "absent", last});
        FAIL() << "removed a missing file";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
        EXPECT_NE(std::string(error.what()).find((folder / "absent").string()), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

// The folders of renames made while a change batch is open are synced once each at its flush;
// a folder that cannot be synced is reported there, after the others were tried, and only there.
TEST(ChangeBatch, GathersEachFolderOnceAndReportsAFailureAtTheFlush) {
    TemporaryFolder folder;
    fs::create_directories(folder / "a");
    fs::create_directories(folder / "b");
    const fs::path absent = folder / "gone";
    {
        platform::ChangeBatch outer;
        platform::renameDurably(folder.writeFile("a/1", "1"), folder / "b" / "1");
        platform::renameDurably(folder.writeFile("a/2", "2"), folder / "b" / "2");
        EXPECT_EQ(outer.gatheredFolders(), 2u);
        {
            platform::ChangeBatch inner;
            EXPECT_NO_THROW(platform::syncDirectory(absent));
            EXPECT_EQ(inner.gatheredFolders(), 1u);
            EXPECT_EQ(outer.gatheredFolders(), 2u);
            platform::syncDirectory(folder / "a");
            try {
                inner.flush();
                FAIL() << "synced a missing folder";
            } catch (const std::system_error& error) {
                EXPECT_EQ(error.code().value(), ENOENT);
                EXPECT_NE(std::string(error.what()).find(absent.string()), std::string::npos);
            }
            EXPECT_EQ(inner.gatheredFolders(), 0u);
        }
        EXPECT_NO_THROW(outer.flush());
        EXPECT_EQ(outer.gatheredFolders(), 0u);
    }
    // Outside any batch a folder is synced at once.
    EXPECT_THROW(platform::syncDirectory(absent), std::system_error);
    EXPECT_EQ(testsupport::TemporaryFolder::readFile(folder / "b" / "2"), "2");
}

// A durable write inside a batch replaces its target only at the flush, after the data is synced;
// stopped at every step, each target is old or wholly new.
TEST(ChangeBatch, ReplacementsWaitForTheFlushAndAStopAtEveryStepLeavesEachOldOrNew) {
    const auto replaceBoth = [](const fs::path& into) {
        platform::ChangeBatch batch;
        for (const char* name : {"first", "second"}) {
            platform::DurableFileWriter writer(into / name);
            writer.write(std::string("new ") + name);
            writer.commit();
        }
        EXPECT_EQ(batch.stagedFiles(), 2u);
        EXPECT_EQ(TemporaryFolder::readFile(into / "first"), "old");
        batch.flush();
    };
    TemporaryFolder folder;
    folder.writeFile("whole/first", "old");
    folder.writeFile("whole/second", "old");
    const long before = platform::durableStepsTaken();
    replaceBoth(folder / "whole");
    const long steps = platform::durableStepsTaken() - before;
    // Temporary file and write for each, one sync, a rename each.
    ASSERT_EQ(steps, 2 * 2 + 1 + 2);
    EXPECT_EQ(TemporaryFolder::readFile(folder / "whole" / "second"), "new second");
    for (long step = 1; step <= steps; ++step) {
        const fs::path into = folder / ("stop" + std::to_string(step));
        folder.writeFile(("stop" + std::to_string(step)) + "/first", "old");
        folder.writeFile(("stop" + std::to_string(step)) + "/second", "old");
        ASSERT_EQ(testsupport::runStoppedAt(step, [&] { replaceBoth(into); }), testsupport::kStoppedAtStep);
        for (const char* name : {"first", "second"}) {
            const std::string content = TemporaryFolder::readFile(into / name);
            EXPECT_TRUE(content == "old" || content == std::string("new ") + name)
                << name << " at step " << step;
        }
    }
}

// A file replaced under its own locks is in place before they are released, batch or not.
TEST(ChangeBatch, ACommitNowReplacesAtOnceAndLeavesTheBatchAlone) {
    TemporaryFolder folder;
    folder.writeFile("locked", "old");
    platform::ChangeBatch batch;
    platform::DurableFileWriter writer(folder / "locked");
    writer.write("new");
    writer.commitNow();
    EXPECT_EQ(TemporaryFolder::readFile(folder / "locked"), "new");
    EXPECT_EQ(batch.stagedFiles(), 0u);
    EXPECT_EQ(batch.gatheredFolders(), 0u);
}

// Three targets: one replaced, one created, one replaced; each is stopped at every step.
struct BatchTarget {
    const char* name;
    std::optional<std::string> before;
    std::string after;
};
const std::vector<BatchTarget> kTargets = {{"one", "old one", "new one, longer than the old"},
                                           {"two", std::nullopt, "two"},
                                           {"three", "old three", ""}};

void prepareTargets(const TemporaryFolder& folder, const fs::path& into) {
    fs::create_directories(into);
    for (const auto& target : kTargets)
        if (target.before)
            folder.writeFile((into / target.name).lexically_relative(folder.path()).string(), *target.before);
}

void stageAndCommit(const fs::path& into) {
    platform::DurableBatch batch;
    for (const auto& target : kTargets)
        batch.stage(into / target.name, {target.after.substr(0, 4),
                                         target.after.substr(std::min<std::size_t>(4, target.after.size()))});
    batch.commit();
}

TEST(DurableBatch, AStopAtEveryStepLeavesEachTargetOldOrWholeNew) {
    TemporaryFolder folder;
    prepareTargets(folder, folder / "reference");
    const long before = platform::durableStepsTaken();
    stageAndCommit(folder / "reference");
    const long steps = platform::durableStepsTaken() - before;
    EXPECT_EQ(steps, 10);

    int stops = 0;
    for (long step = 1; step <= steps + 1; ++step) {
        const fs::path into = folder / ("run" + std::to_string(step));
        prepareTargets(folder, into);
        const int status = testsupport::runStoppedAt(step, [&] { stageAndCommit(into); });
        if (step > steps) {
            EXPECT_EQ(status, 0);
        } else {
            ASSERT_EQ(status, testsupport::kStoppedAtStep) << "step " << step;
            ++stops;
        }
        // Renames go in staging order: once a target is new, every one before it is new too.
        bool earlierAllNew = true;
        for (const auto& target : kTargets) {
            const fs::path path = into / target.name;
            const std::optional<std::string> now =
                fs::exists(path) ? std::optional(TemporaryFolder::readFile(path)) : std::nullopt;
            const bool isNew = now == target.after && now != target.before;
            EXPECT_TRUE(isNew || now == target.before) << target.name << " at step " << step;
            EXPECT_TRUE(!isNew || earlierAllNew) << target.name << " at step " << step;
            earlierAllNew = earlierAllNew && isNew;
        }
        if (step > steps) {
            EXPECT_TRUE(earlierAllNew);
        }
    }
    EXPECT_EQ(stops, steps);
}

} // namespace
