// The program's main job on an mbox tree, as on a Maildir: export into numbered files stamped with
// each message's delivery time, then the tag, read-flag and move post-actions written into the
// mbox files, and the default profile that reads the spool named by $MAIL.

#include "ProgramRun.h"
#include "support/MaildirBuilder.h"
#include "support/MboxText.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace e2e {
namespace {

namespace fs = std::filesystem;

class MboxExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(out);
        fs::create_directories(tree / "Archives.sbd");
        testsupport::writeFileText(tree / "Archives.sbd" / "2024", "");
        testsupport::writeFileText(tree / "Inbox.msf", "// summary file, no folder");
        testsupport::writeFileText(folder / "profiles.ini",
                                   "[Test]\ndefault = true\nstore = Local Folders, mbox:" + tree.string() +
                                       ", default\n");
        environment = {{"XDG_CONFIG_HOME", (folder / "config").string()},
                       {"LARKSPIRE_PROFILES", (folder / "profiles.ini").string()}};
    }

    // `count` messages "Message 1".. delivered an hour apart, the bodies holding a quoted line.
    void writeInbox(int count, const std::string& flags = "") {
        std::string text;
        for (int i = 1; i <= count; ++i)
            text += testsupport::mboxRecord(
                flags + testsupport::simpleMessage("Message " + std::to_string(i),
                                                   "From the body of " + std::to_string(i) + "\n"),
                1700000000 + i * 3600);
        testsupport::writeFileText(tree / "Inbox", text);
    }

    RunResult run(std::vector<std::string> settings) {
        std::vector<std::string> arguments{"--set=Save folder=" + out.string(), "--set=First number=100",
                                           "--set=sort order=1"};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        arguments.push_back("/G");
        arguments.push_back("/Q");
        return runProgram(arguments, environment);
    }

    std::vector<std::string> outputFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static long long modifiedSeconds(const fs::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_mtim.tv_sec) : -1;
    }

    std::vector<std::string> inboxMessages() const {
        return testsupport::mboxMessages(testsupport::readFileText(tree / "Inbox"));
    }

    testsupport::TemporaryFolder folder;
    fs::path tree = folder / "Mail";
    fs::path out = folder / "out";
    std::map<std::string, std::string> environment;
};

TEST_F(MboxExportTest, ExportsTheInboxWithDeliveryTimesAndLeavesTheFileAlone) {
    writeInbox(3);
    const std::string before = testsupport::readFileText(tree / "Inbox");
    const RunResult listed = runProgram({"--list-folders", "/Q"}, environment);
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_EQ(
        listed.out,
        "Local Folders\nLocal Folders\\Archives\nLocal Folders\\Archives\\2024\nLocal Folders\\Inbox\n");

    const RunResult result = run({});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("Complete. 3 emails processed"), std::string::npos);
    EXPECT_EQ(outputFiles(), (std::vector<std::string>{"00100.txt", "00101.txt", "00102.txt"}));
    EXPECT_EQ(testsupport::readFileText(out / "00100.txt"), "From the body of 1\r\n\r\n");
    EXPECT_EQ(modifiedSeconds(out / "00102.txt"), 1700000000 + 3 * 3600);
    EXPECT_EQ(testsupport::readFileText(tree / "Inbox"), before);
}

TEST_F(MboxExportTest, TagAndReadFlagAreWrittenIntoTheFileAndTaggedMessagesSkippedNextTime) {
    writeInbox(3);
    RunResult first = run({"--set=move messages=2", "--set=tag text=[done] ", "--set=readStatus=1"});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    const auto messages = inboxMessages();
    ASSERT_EQ(messages.size(), 3u);
    for (const auto& message : messages) {
        EXPECT_NE(message.find("Subject: [done] Message "), std::string::npos) << message;
        EXPECT_NE(message.find("Status: RO"), std::string::npos) << message;
        EXPECT_NE(message.find("X-Mozilla-Status: 0001"), std::string::npos) << message;
    }
    EXPECT_FALSE(fs::exists(tree / "Inbox.lock"));

    fs::remove_all(out);
    fs::create_directories(out);
    const RunResult second = run({"--set=move messages=2", "--set=tag text=[done] "});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_EQ(inboxMessages(), messages);
}

TEST_F(MboxExportTest, MoveIntoAnotherFolderEmptiesTheInbox) {
    writeInbox(3);
    const std::string before = testsupport::readFileText(tree / "Inbox");
    const RunResult result = run({"--set=move messages=1", "--destination=Local Folders\\Archives\\2024"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(outputFiles().size(), 3u);
    EXPECT_EQ(testsupport::readFileText(tree / "Inbox"), "");
    EXPECT_EQ(testsupport::readFileText(tree / "Archives.sbd" / "2024"), before);
}

TEST_F(MboxExportTest, ALockedFileStopsTheRunWithTheFileNamedAndNothingChanged) {
    writeInbox(2);
    const std::string before = testsupport::readFileText(tree / "Inbox");
    testsupport::writeFileText(tree / "Inbox.lock", "1\n"); // held by init, which never ends
    const RunResult result = run({"--set=readStatus=1"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("MAPI_E_BUSY"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find((tree / "Inbox.lock").string()), std::string::npos) << result.err;
    EXPECT_EQ(testsupport::readFileText(tree / "Inbox"), before);
}

TEST_F(MboxExportTest, WithoutAProfilesFileTheSpoolOfMailIsRead) {
    const fs::path spool = folder / "spool" / "me";
    fs::create_directories(spool.parent_path());
    testsupport::writeFileText(
        spool, testsupport::mboxRecord(testsupport::simpleMessage("Spooled", "in the spool\n")));
    const RunResult result = runProgram({"--set=Save folder=" + out.string(), "/G", "/Q"},
                                        {{"XDG_CONFIG_HOME", (folder / "config").string()},
                                         {"HOME", (folder / "home").string()},
                                         {"MAIL", spool.string()}});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(testsupport::readFileText(out / "00000.txt"), "in the spool\r\n\r\n");
}

} // namespace
} // namespace e2e
