// Real failing disks under the built program: a full Save folder (no room, no inodes), a
// read-only one, one the user may not write, a move across file systems, a message file that
// vanishes after the listing, and the hive and an option file on a full disk. Each run must end
// with a clear error naming the file, leave every output file whole or absent, and change no
// message whose file was not written.

#include "JobFolder.h"
#include "PrivateMounts.h"
#include "support/SampleMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kMessages = 30;

std::string bodyOf(int message) {
    std::string body = "Message " + std::to_string(message) + "\n";
    for (int line = 0; line < 60; ++line)
        body += "Line " + std::to_string(line) + " of message " + std::to_string(message) +
                ", long enough to fill a page of a small disk quickly.\n";
    return body;
}

std::string subjectOf(int message) {
    return "Message " + std::to_string(message);
}

class FaultTest : public ::testing::Test, protected JobFolder {
protected:
    void SetUp() override {
        if (!mounts.unavailable().empty())
            GTEST_SKIP() << "fault conditions unavailable: " << mounts.unavailable();
        // The user nobody must reach the mail, the profiles and its configuration.
        fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                                           fs::perms::group_read | fs::perms::others_read);
        for (int i = 1; i <= kMessages; ++i) {
            testsupport::MessageFileOptions options;
            options.mtime = 1700000000 + i * 3600;
            mail.addMessage("", testsupport::simpleMessage(subjectOf(i), bodyOf(i)), options);
        }
    }

    // The job: output numbered from 100 into `out`, oldest message first, then `settings`.
    std::vector<std::string> job(std::vector<std::string> settings = {}) const {
        std::vector<std::string> arguments{"--set=Save folder=" + out.string(), "--set=First number=100",
                                           "--set=sort order=1"};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        arguments.push_back("/G");
        arguments.push_back("/Q");
        return arguments;
    }

    std::vector<std::string> tagJob() const {
        return job({"--set=move messages=2", "--set=tag text=[done] "});
    }

    // The output files, which must be the first `count` numbers, each holding its message's text
    // whole; returns `count`.
    int checkOutputWholeOrAbsent() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out))
            if (entry.path().filename() != "filler")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        for (std::size_t i = 0; i < names.size(); ++i) {
            char expected[32];
            std::snprintf(expected, sizeof expected, "%05zu.txt", 100 + i);
            EXPECT_EQ(names[i], expected) << "a file other than the next number (a temporary left?)";
            EXPECT_EQ(testsupport::readFileText(out / names[i]),
                      testsupport::withCrLf(bodyOf(static_cast<int>(i) + 1)) + "\r\n")
                << names[i] << " is not whole";
        }
        return static_cast<int>(names.size());
    }

    // The messages whose subject carries the tag are exactly the first `written` ones.
    void checkTaggedAreWritten(int written) const {
        int tagged = 0;
        for (const auto& [name, text] : testsupport::messageFilesBelow(mailRoot)) {
            const bool hasTag = text.find("Subject: [done] ") != std::string::npos;
            tagged += hasTag;
            const auto at = text.find("Subject: ");
            const int number = std::stoi(text.substr(text.find("Message ", at) + 8));
            EXPECT_EQ(hasTag, number <= written) << name;
        }
        EXPECT_EQ(tagged, written);
    }

    // The end of an error about output file `number` ("Cannot create" or "Cannot write" before it).
    std::string fileError(int number, const std::string& reason) const {
        char name[32];
        std::snprintf(name, sizeof name, "%05d.txt", number);
        return "'" + (out / name).string() + "': " + reason;
    }

    PrivateMounts mounts;
};

struct FullDiskCase {
    const char* name;
    const char* options;
};

class FullSaveFolder : public FaultTest, public ::testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullSaveFolder, StopsAtTheFileThatDoesNotFitAndTagsOnlyWrittenMessages) {
    mounts.tmpfs(out, GetParam().options);
    const RunResult result = run(tagJob());
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    const int written = checkOutputWholeOrAbsent();
    EXPECT_GT(written, 0);
    EXPECT_LT(written, kMessages);
    EXPECT_NE(result.err.find(fileError(100 + written, "No space left on device")), std::string::npos)
        << result.err;
    checkTaggedAreWritten(written);
}

INSTANTIATE_TEST_SUITE_P(Faults, FullSaveFolder,
                         ::testing::Values(FullDiskCase{"NoRoom", "size=64k"},
                                           FullDiskCase{"NoInodes", "size=4m,nr_inodes=8"}),
                         [](const ::testing::TestParamInfo<FullDiskCase>& info) { return info.param.name; });

TEST_F(FaultTest, ReadOnlySaveFolderWritesNothingAndTagsNothing) {
    mounts.bind(out, out);
    mounts.makeReadOnly(out);
    const RunResult result = run(tagJob());
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_NE(result.err.find(fileError(100, "Read-only file system")), std::string::npos) << result.err;
    EXPECT_EQ(checkOutputWholeOrAbsent(), 0);
    checkTaggedAreWritten(0);
}

TEST_F(FaultTest, SaveFolderTheUserMayNotWrite) {
    const std::string missing = nobodyUnavailable();
    if (!missing.empty())
        GTEST_SKIP() << missing;
    fs::permissions(folder / "config", fs::perms::all);
    const RunResult result = run(job(), asNobody());
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    EXPECT_NE(result.err.find(fileError(100, "Permission denied")), std::string::npos) << result.err;
    EXPECT_EQ(checkOutputWholeOrAbsent(), 0);
}

TEST_F(FaultTest, MoveAcrossFileSystemsLosesAndDoublesNothing) {
    mail.addFolder(".Archive");
    const fs::path elsewhere = folder / "elsewhere";
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(elsewhere / sub);
    mounts.bind(elsewhere, mailRoot / ".Archive");
    const auto before = testsupport::messageFilesBelow(mailRoot);
    const RunResult result = run(job({"--set=move messages=1", "--destination=Mail\\Archive"}));
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(checkOutputWholeOrAbsent(), kMessages);
    std::multiset<std::string> moved, original;
    for (const auto& [name, text] : testsupport::messageFilesBelow(mailRoot)) {
        EXPECT_EQ(name.rfind(".Archive/", 0), 0u) << name << " was not moved";
        moved.insert(text);
    }
    for (const auto& [name, text] : before)
        original.insert(text);
    EXPECT_EQ(moved, original);
}

// Deletes a message file as soon as a reader has closed it, from a thread of the test.
class RemovalAfterFirstRead {
public:
    explicit RemovalAfterFirstRead(fs::path file)
        : m_file(std::move(file)), m_watch(::inotify_init1(IN_NONBLOCK)) {
        if (m_watch < 0 || ::inotify_add_watch(m_watch, m_file.parent_path().c_str(), IN_CLOSE_NOWRITE) < 0)
            throw std::runtime_error("inotify failed for " + m_file.string());
        m_thread = std::thread([this] { watch(); });
    }
    ~RemovalAfterFirstRead() {
        m_done = true;
        m_thread.join();
        ::close(m_watch);
    }

private:
    void watch() {
        alignas(inotify_event) char buffer[4096];
        while (!m_done) {
            pollfd ready{m_watch, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0)
                continue;
            const ssize_t length = ::read(m_watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && m_file.filename() == event->name) {
                    std::error_code ignored;
                    fs::remove(m_file, ignored);
                    return;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    fs::path m_file;
    int m_watch;
    std::atomic<bool> m_done = false;
    std::thread m_thread;
};

TEST_F(FaultTest, MessageFileVanishingAfterTheListing) {
    // The newest message goes last; its file is deleted as soon as the listing has read it. Its
    // text may already have been read ahead (then only its tag fails), but either way the run
    // names it, and every other message is written and tagged.
    const int last = kMessages + 1;
    const fs::path victim = mail.addMessage("", testsupport::simpleMessage(subjectOf(last), bodyOf(last)),
                                            {false, "", "vanishing", 1700000000 + last * 3600});
    RunResult result;
    {
        const RemovalAfterFirstRead removal(victim);
        result = run(tagJob());
    }
    ASSERT_FALSE(fs::exists(victim)) << "the listing never read the message";
    EXPECT_GE(checkOutputWholeOrAbsent(), kMessages);
    checkTaggedAreWritten(kMessages);
    EXPECT_EQ(result.exitStatus, 1) << result.err;
    // "No message 'vanishing' in ..." when opening it, "Message '.../vanishing:2,' is no longer in
    // the store" when tagging it.
    EXPECT_NE(result.err.find("vanishing"), std::string::npos) << result.err;
}

class SettingsOnFullDisk : public FaultTest {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        if (IsSkipped())
            return;
        mounts.tmpfs(folder / "config", "size=64k");
        environment["HOME"] = folder.path().string();
    }
};

// The only files in the configuration folder are the hive, its lock file and the filler.
void expectNoTemporaryFiles(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(entry.is_directory() || name == "registry.reg" || name == "registry.reg.lock" ||
                    name == "filler" || name == "Daily.lks")
            << "left behind: " << entry.path();
    }
}

TEST_F(SettingsOnFullDisk, TheHiveKeepsItsOldContent) {
    const RunResult first = run({});
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    // Without the value every start writes, the next start has to write the hive.
    const fs::path hive = folder / "config" / "larkspire" / "registry.reg";
    std::string before = testsupport::readFileText(hive);
    const auto line = before.find("\"isFirstDay\"");
    ASSERT_NE(line, std::string::npos) << before;
    before.erase(line, before.find('\n', line) + 1 - line);
    testsupport::writeFileText(hive, before);
    fillFileSystem(folder / "config");
    const RunResult second = run({});
    EXPECT_EQ(testsupport::readFileText(hive), before);
    EXPECT_EQ(second.exitStatus, 1) << second.err;
    EXPECT_NE(second.err.find("Error: Failed to set data for 'isFirstDay'"), std::string::npos) << second.err;
    expectNoTemporaryFiles(folder / "config");
}

TEST_F(SettingsOnFullDisk, AnOptionFileKeepsItsOldContent) {
    const fs::path file = folder / "config" / "Daily.lks";
    const RunResult first = run({"--set=First number=7", "--save-as=" + file.string(), "/Q"});
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    const std::string before = testsupport::readFileText(file);
    fillFileSystem(folder / "config");
    const RunResult second = run({"--set=First number=8", "--save-as=" + file.string(), "/Q"});
    EXPECT_EQ(testsupport::readFileText(file), before);
    EXPECT_NE(second.exitStatus, 0) << second.err;
    EXPECT_NE(second.err.find("Error: Stream write error"), std::string::npos) << second.err;
    expectNoTemporaryFiles(folder / "config");
}

} // namespace
} // namespace e2e
