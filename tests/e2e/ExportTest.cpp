// The program's main job from the command line: a Maildir exported into numbered files by an
// option file, with the switches, switch files, post-actions and exit statuses a script relies on.

#include "ProgramRun.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace e2e {
namespace {

namespace fs = std::filesystem;

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(out);
        testsupport::writeFileText(folder / "profiles.ini", "[Test]\ndefault = true\nstore = Mail, maildir:" +
                                                                mailRoot.string() + ", default\n");
        environment = {{"XDG_CONFIG_HOME", (folder / "config").string()},
                       {"LARKSPIRE_PROFILES", (folder / "profiles.ini").string()}};
    }

    // `count` messages "Message 1".. in folder `key`, delivered an hour apart in that order.
    void addMessages(int count, const std::string& key = "", const std::string& subjectPrefix = "Message ") {
        for (int i = 1; i <= count; ++i) {
            testsupport::MessageFileOptions options;
            options.mtime = 1700000000 + i * 3600;
            mail.addMessage(key,
                            testsupport::simpleMessage(subjectPrefix + std::to_string(i),
                                                       "Body of message " + std::to_string(i) + "\n"),
                            options);
        }
    }

    RunResult run(const std::vector<std::string>& arguments, const std::string& input = "") {
        return runProgram(arguments, environment, input);
    }

    // Writes the option file: output into `out`, First number 100, oldest message first.
    void makeJob(std::vector<std::string> settings = {}) {
        std::vector<std::string> arguments{"--set=Save folder=" + out.string(), "--set=First number=100",
                                           "--set=sort order=1"};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        arguments.push_back("--save-as=" + job.string());
        arguments.push_back("/Q");
        const RunResult made = run(arguments);
        ASSERT_EQ(made.exitStatus, 0) << made.err;
    }

    std::vector<std::string> outputFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::vector<std::string> numbered(int first, int last) {
        std::vector<std::string> names;
        for (int n = first; n <= last; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "%05d.txt", n);
            names.push_back(name);
        }
        return names;
    }

    static int count(const std::string& text, const std::string& part) {
        int found = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++found;
        return found;
    }

    static long long modifiedSeconds(const fs::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_mtim.tv_sec) : -1;
    }

    std::string hiveText() const {
        const fs::path hive = folder / "config" / "larkspire" / "registry.reg";
        return fs::exists(hive) ? testsupport::readFileText(hive) : std::string();
    }

    testsupport::TemporaryFolder folder;
    fs::path mailRoot = folder / "Maildir";
    testsupport::MaildirBuilder mail{mailRoot};
    fs::path out = folder / "out";
    fs::path job = folder / "Daily.lks";
    std::map<std::string, std::string> environment;
};

TEST_F(ExportTest, UpdateCountCarriesTheNumberingIntoTheOptionFile) {
    addMessages(12);
    makeJob();
    const RunResult first = run({"/F=" + job.string(), "/UPDATECOUNT", "/G", "/Q"});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(outputFiles(), numbered(100, 111));
    EXPECT_EQ(testsupport::readFileText(out / "00100.txt"), "Body of message 1\r\n\r\n");
    EXPECT_EQ(testsupport::readFileText(out / "00111.txt"), "Body of message 12\r\n\r\n");
    EXPECT_NE(first.err.find("Complete. 12 emails processed"), std::string::npos);
    // A file's time is its message's delivery time.
    EXPECT_EQ(modifiedSeconds(out / "00100.txt"), 1700000000 + 3600);
    EXPECT_EQ(modifiedSeconds(out / "00111.txt"), 1700000000 + 12 * 3600);

    // The file now holds 112: the next run goes on from there without any question.
    const RunResult second = run({"/F=" + job.string(), "/G", "/Q"});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_EQ(outputFiles(), numbered(100, 123));
    EXPECT_EQ(hiveText().find("\"Save folder\""), std::string::npos) << "/Q wrote the settings";
}

TEST_F(ExportTest, WithoutUpdateCountTheFileKeepsItsNumber) {
    addMessages(12);
    makeJob();
    const RunResult first = run({"/F=" + job.string(), "/G", "/Q"});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(outputFiles(), numbered(100, 111));
    EXPECT_EQ(hiveText().find("\"First number\""), std::string::npos);

    // Still 100: the first output file exists, and without a terminal the question is answered No.
    const RunResult second = run({"/F=" + job.string(), "/G", "/Q"});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_NE(
        second.err.find("The output file " + (out / "00100.txt").string() + " already exists. Continue?"),
        std::string::npos);
    EXPECT_NE(second.err.find("(answered No"), std::string::npos);
    EXPECT_EQ(second.err.find("Complete."), std::string::npos);
    EXPECT_EQ(outputFiles(), numbered(100, 111));
}

TEST_F(ExportTest, GoInLowerCaseAndAsAWord) {
    addMessages(2);
    const fs::path a = folder / "a", b = folder / "b";
    fs::create_directories(a);
    fs::create_directories(b);
    const RunResult result =
        run({"--set=Save folder=" + a.string(), "/g", "--set=Save folder=" + b.string(), "/GO", "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(count(result.err, "Complete. 2 emails processed"), 2);
    EXPECT_TRUE(fs::exists(a / "00000.txt") && fs::exists(a / "00001.txt"));
    // The first run handed its next number to the window, so the second goes on from there.
    EXPECT_TRUE(fs::exists(b / "00002.txt") && fs::exists(b / "00003.txt"));
}

TEST_F(ExportTest, InvalidSwitchesAreReportedAndABarePathIgnored) {
    const RunResult result = run({"/Fred", "/U", "C:\\x.lks", "--version"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("Invalid command line parameter\n/Fred\n"), std::string::npos);
    EXPECT_NE(result.err.find("Invalid command line parameter\n/U\n"), std::string::npos);
    EXPECT_EQ(result.err.find("x.lks"), std::string::npos);
    // Processing went on after the invalid switches.
    EXPECT_NE(result.out.find("larkspire "), std::string::npos);
}

TEST_F(ExportTest, SwitchFileSkipsEmptyLinesAndIgnoresBlankLedOnes) {
    addMessages(3);
    makeJob();
    const fs::path switches = folder / "switches.txt";
    testsupport::writeFileText(switches, "/F=" + job.string() + "\r\n\r\n /G\r\n/G\r\n");
    const RunResult result = run({"/Z=" + switches.string(), "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(count(result.err, "Complete. 3 emails processed"), 1);
    EXPECT_EQ(outputFiles(), numbered(100, 102));
}

TEST_F(ExportTest, SwitchFileInsideASwitchFileIsInvalid) {
    const fs::path inner = folder / "inner.txt";
    const fs::path outer = folder / "outer.txt";
    testsupport::writeFileText(inner, "/Q\n");
    testsupport::writeFileText(outer, "/Z=" + inner.string() + "\n");
    const RunResult result = run({"/Z=" + outer.string()});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("Invalid command line parameter\n/Z=" + inner.string()), std::string::npos);
}

TEST_F(ExportTest, QuitBeforeGoStillRuns) {
    addMessages(2);
    makeJob();
    const RunResult result = run({"/F=" + job.string(), "/Q", "/G"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(outputFiles(), numbered(100, 101));
}

TEST_F(ExportTest, FailingGoEndsTheCommandLine) {
    addMessages(1);
    const fs::path saved = folder / "never.lks";
    const RunResult result = run(
        {"--set=Save folder=" + (folder / "nowhere").string(), "/G", "/Q", "--save-as=" + saved.string()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Error: The folder to save emails to does not exist"), std::string::npos);
    EXPECT_FALSE(fs::exists(saved));
}

TEST_F(ExportTest, TagPostActionSkipsTaggedMessagesOnTheNextRun) {
    addMessages(2);
    addMessages(1, "", "[done] Earlier ");
    makeJob({"--set=move messages=2", "--set=tag text=[done] "});
    const RunResult first = run({"/F=" + job.string(), "/UPDATECOUNT", "/G", "/Q"});
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_NE(first.err.find("Complete. 3 emails processed"), std::string::npos);
    EXPECT_EQ(outputFiles(), numbered(100, 101));
    for (const auto& [name, text] : testsupport::messageFilesBelow(mailRoot))
        EXPECT_NE(text.find("Subject: [done] "), std::string::npos) << name;

    const RunResult second = run({"/F=" + job.string(), "/UPDATECOUNT", "/G", "/Q"});
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_NE(second.err.find("Complete. 3 emails processed"), std::string::npos);
    EXPECT_EQ(outputFiles(), numbered(100, 101));
    for (const auto& [name, text] : testsupport::messageFilesBelow(mailRoot))
        EXPECT_EQ(count(text, "[done] "), 1) << name;
}

TEST_F(ExportTest, ReadFlagMarksEveryProcessedMessage) {
    for (int i = 1; i <= 2; ++i) {
        testsupport::MessageFileOptions options;
        options.inNew = true;
        options.mtime = 1700000000 + i;
        mail.addMessage("", testsupport::simpleMessage("New " + std::to_string(i), "text\n"), options);
    }
    makeJob({"--set=readStatus=1"});
    const RunResult result = run({"/F=" + job.string(), "/G", "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const auto files = testsupport::messageFilesBelow(mailRoot);
    ASSERT_EQ(files.size(), 2u);
    for (const auto& [name, text] : files) {
        EXPECT_EQ(name.rfind("cur/", 0), 0u) << name;
        const std::string flags = name.substr(name.find(":2,") + 3);
        EXPECT_NE(flags.find('S'), std::string::npos) << name;
    }
}

TEST_F(ExportTest, MoveIntoAnotherFolder) {
    addMessages(3);
    mail.addFolder(".Archive");
    const RunResult listed = run({"--list-folders", "/Q"});
    EXPECT_EQ(listed.exitStatus, 0) << listed.err;
    EXPECT_EQ(listed.out, "Mail\nMail\\Archive\n");

    makeJob({"--set=move messages=1", "--destination=Mail\\Archive"});
    const RunResult result = run({"/F=" + job.string(), "/G", "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(outputFiles(), numbered(100, 102));
    std::size_t inArchive = 0, inInbox = 0;
    for (const auto& [name, text] : testsupport::messageFilesBelow(mailRoot))
        ++(name.rfind(".Archive/", 0) == 0 ? inArchive : inInbox);
    EXPECT_EQ(inArchive, 3u);
    EXPECT_EQ(inInbox, 0u);
}

TEST_F(ExportTest, SourceFolderByItsChooserPath) {
    addMessages(1);
    addMessages(2, ".Projects.Reports", "Report ");
    const RunResult result =
        run({"--set=Save folder=" + out.string(), "--source=Mail\\Projects\\Reports", "/G", "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(outputFiles(), numbered(0, 1));
    EXPECT_NE(testsupport::readFileText(out / "00000.txt").find("Body of message"), std::string::npos);
}

TEST_F(ExportTest, UnknownSettingIsAnInvalidCommandLine) {
    addMessages(1);
    const RunResult result = run({"--set=Colour=blue", "--set=Save folder=" + out.string(), "/G"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("Unknown setting \"Colour\""), std::string::npos);
    EXPECT_TRUE(outputFiles().empty());
}

} // namespace
} // namespace e2e
