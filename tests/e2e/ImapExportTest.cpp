// The program against a private Dovecot over imaps: a server folder exported into the same files
// as the Maildir export of the same messages, messages moved and marked read on the server, and an
// unattended run without a password that fails at once instead of waiting.

#include "ProgramRun.h"
#include "mapi/imap/DovecotServer.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {
namespace {

namespace fs = std::filesystem;
using imaptest::DovecotServer;
using imaptest::ImapProbe;

constexpr std::int64_t kFirstDelivery = 1700000000;

class ImapExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (const auto reason = DovecotServer::unavailableReason())
            s_unavailable = *reason;
        else
            s_server = std::make_unique<DovecotServer>();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        if (!s_server)
            GTEST_SKIP() << "No IMAP test server: " << s_unavailable;
    }

    // A profile whose default store is the server, its password from a command.
    std::map<std::string, std::string> profile(const std::string& passwordLine) {
        std::string text = "[Office]\ndefault = true\nstore = Office, " + s_server->url("imaps") +
                           ", default\nca-file = " + s_server->caFile().string() + "\n";
        if (!passwordLine.empty())
            text += "password-command = printf '%s\\n' '" + passwordLine + "'\n";
        testsupport::writeFileText(folder / "imap.ini", text);
        return {{"XDG_CONFIG_HOME", (folder / "config-imap").string()},
                {"LARKSPIRE_PROFILES", (folder / "imap.ini").string()}};
    }

    // The output files of a run, by name.
    static std::map<std::string, std::string> filesIn(const fs::path& out) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(out))
            files[entry.path().filename().string()] = testsupport::readFileText(entry.path());
        return files;
    }

    RunResult exportInto(const fs::path& out, const std::map<std::string, std::string>& environment,
                         std::vector<std::string> settings = {}) {
        fs::create_directories(out);
        std::vector<std::string> arguments{"--set=Save folder=" + out.string(), "--set=First number=1",
                                           "--set=sort order=1"};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        arguments.insert(arguments.end(), {"/G", "/Q"});
        return runProgram(arguments, environment);
    }

    static std::unique_ptr<DovecotServer> s_server;
    static std::string s_unavailable;
    testsupport::TemporaryFolder folder;
};

std::unique_ptr<DovecotServer> ImapExportTest::s_server;
std::string ImapExportTest::s_unavailable;

TEST_F(ImapExportTest, ServerFolderExportsAsTheMaildirOfTheSameMessagesThenMovesThemRead) {
    testsupport::MaildirBuilder maildir(folder / "Maildir");
    {
        ImapProbe probe(*s_server);
        probe.command("CREATE \"Done\"");
        std::int64_t delivered = kFirstDelivery;
        for (const auto& sample : testsupport::sampleMessages()) {
            delivered += 3600;
            char date[40];
            const time_t time = static_cast<time_t>(delivered);
            std::strftime(date, sizeof date, "%d-%b-%Y %H:%M:%S +0000", std::gmtime(&time));
            probe.append("INBOX", testsupport::withCrLf(sample.text), "", date);
            testsupport::MessageFileOptions options;
            options.mtime = delivered;
            maildir.addMessage("", sample.text, options);
        }
    }
    testsupport::writeFileText(folder / "local.ini", "[Local]\ndefault = true\nstore = Mail, maildir:" +
                                                         maildir.root().string() + ", default\n");
    const RunResult local =
        exportInto(folder / "local", {{"XDG_CONFIG_HOME", (folder / "config-local").string()},
                                      {"LARKSPIRE_PROFILES", (folder / "local.ini").string()}});
    ASSERT_EQ(local.exitStatus, 0) << local.err;

    const RunResult remote =
        exportInto(folder / "remote", profile(DovecotServer::password),
                   {"--set=readStatus=1", "--set=move messages=1", "--destination=Office\\Done"});
    ASSERT_EQ(remote.exitStatus, 0) << remote.err;
    EXPECT_EQ(filesIn(folder / "remote"), filesIn(folder / "local"));
    // Stamped with the server's INTERNALDATE as the Maildir files are with their delivery time.
    for (const auto& entry : fs::directory_iterator(folder / "remote"))
        EXPECT_EQ(fs::last_write_time(entry.path()),
                  fs::last_write_time(folder / "local" / entry.path().filename()))
            << entry.path();

    ImapProbe probe(*s_server);
    EXPECT_TRUE(probe.uids("INBOX").empty());
    const auto moved = probe.uids("Done");
    EXPECT_EQ(moved.size(), testsupport::sampleMessages().size());
    for (const unsigned uid : moved)
        EXPECT_NE(probe.fetch("Done", uid, "FLAGS").find("\\Seen"), std::string::npos) << uid;
}

// The folder list shows the store's own reason; a run reports the folder as not found.
TEST_F(ImapExportTest, WithoutPasswordAndWithoutTerminalNothingWaitsForOne) {
    const auto environment = profile("");
    const RunResult folders = runProgram({"--list-folders"}, environment);
    EXPECT_EQ(folders.exitStatus, 1);
    EXPECT_NE(folders.err.find("No password for me@localhost"), std::string::npos) << folders.err;
    EXPECT_EQ(exportInto(folder / "out", environment).exitStatus, 1);
}

TEST_F(ImapExportTest, WrongPasswordShowsTheServersRefusalAndNeverThePassword) {
    const auto environment = profile("guessed wrong");
    const RunResult folders = runProgram({"--list-folders"}, environment);
    EXPECT_EQ(folders.exitStatus, 1);
    EXPECT_NE(folders.err.find("refused the logon of me: [AUTHENTICATIONFAILED]"), std::string::npos)
        << folders.err;
    const RunResult run = exportInto(folder / "out", environment);
    EXPECT_EQ(run.exitStatus, 1);
    for (const RunResult* result : {&folders, &run})
        EXPECT_EQ((result->out + result->err).find("guessed wrong"), std::string::npos) << result->err;
}

// On a terminal (made by script(1)) the console asks for the password, and the terminal shows
// the question but never the typed password.
TEST_F(ImapExportTest, OnATerminalThePasswordIsAskedWithoutEcho) {
    if (::access("/usr/bin/script", X_OK) != 0)
        GTEST_SKIP() << "script(1) is not installed";
    const auto environment = profile("");
    int toChild[2], fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const std::string command = programPath().string() + " --console --list-folders";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(toChild[0], STDIN_FILENO);
        ::dup2(fromChild[1], STDOUT_FILENO);
        ::dup2(fromChild[1], STDERR_FILENO);
        for (const auto& [name, value] : environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        ::execl("/usr/bin/script", "script", "-qec", command.c_str(), "/dev/null",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    std::string transcript;
    bool answered = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd wait{fromChild[0], POLLIN, 0};
        if (::poll(&wait, 1, 1000) != 1)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(fromChild[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        transcript.append(buffer, static_cast<std::size_t>(got));
        // Typed only once the question is there, when echo is already off.
        if (!answered && transcript.find("Password for me@localhost: ") != std::string::npos) {
            const std::string line = std::string(DovecotServer::password) + "\n";
            ASSERT_EQ(::write(toChild[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
            answered = true;
        }
    }
    ::close(toChild[1]);
    ::close(fromChild[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(answered) << transcript;
    EXPECT_NE(transcript.find("\nOffice\r\n"), std::string::npos)
        << "the folders after the logon: " << transcript;
    EXPECT_EQ(transcript.find("Error"), std::string::npos) << transcript;
    EXPECT_EQ(transcript.find(DovecotServer::password), std::string::npos) << transcript;
}

} // namespace
} // namespace e2e
