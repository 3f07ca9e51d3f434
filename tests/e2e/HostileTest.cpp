// Hostile input under the built program: subjects that make no file name or a name too long,
// planted links, a tag text that would add a header field, and files made to exhaust memory.
// Nothing may be written outside the Save folder, and every run ends with a clear error or a
// bounded result, never a crash.

#include "JobFolder.h"
#include "support/SampleMessages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sys/wait.h>

namespace e2e {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string repeated(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

struct SubjectCase {
    const char* name;
    std::string subject;  // the raw Subject field value
    std::string fileName; // the file made; empty: the run stops with an error naming it
    std::string refused;  // the name the error names when no file is made
};

// Test listings show the row's name instead of the object's bytes.
void PrintTo(const SubjectCase& row, std::ostream* out) {
    *out << row.name;
}

class SubjectNames : public ::testing::TestWithParam<SubjectCase>, protected JobFolder {};

TEST_P(SubjectNames, BecomeAFileInTheSaveFolderOrAClearError) {
    const SubjectCase& row = GetParam();
    mail.addMessage("", "From: a@example.org\nSubject: " + row.subject + "\n\nText.\n");
    const std::set<std::string> around = namesIn(folder.path());
    const RunResult result = run({"--set=Save folder=" + out.string(), "--set=Number format=%SUBJECT",
                                  "--set=move messages=2", "--set=tag text=[done] ", "/G", "/Q"});
    EXPECT_EQ(namesIn(folder.path()), around) << "something was written beside the Save folder";
    const std::string message = testsupport::messageFilesBelow(mailRoot).begin()->second;
    if (row.fileName.empty()) {
        EXPECT_EQ(result.exitStatus, 1) << result.err;
        EXPECT_NE(result.err.find("'" + (out / row.refused).string() + "': "), std::string::npos)
            << result.err;
        EXPECT_TRUE(fs::is_empty(out));
        EXPECT_EQ(message.find("[done]"), std::string::npos) << "tagged without its file";
        return;
    }
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(namesIn(out), std::set<std::string>{row.fileName});
    EXPECT_EQ(testsupport::readFileText(out / row.fileName), "Text.\r\n\r\n");
    EXPECT_NE(message.find("Subject: [done]"), std::string::npos) << message.substr(0, 400);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, SubjectNames,
    ::testing::Values(SubjectCase{"Dot", ".", "", "."}, SubjectCase{"DotDot", "..", "", ".."},
                      SubjectCase{"Empty", "", "", ""},
                      SubjectCase{"FolderParts", "../../escape/x", "....escapex", ""},
                      SubjectCase{"Bytes255", std::string(255, 'a'), std::string(255, 'a'), ""},
                      SubjectCase{"Bytes256Shortened", std::string(256, 'b'), std::string(255, 'b'), ""},
                      SubjectCase{"CutBetweenCharacters", repeated("\xC3\xA9", 130),
                                  repeated("\xC3\xA9", 127), ""},
                      SubjectCase{"ControlCharacterEncoded", "=?UTF-8?Q?a=01b=0D=0Ac?=", "a b  c", ""},
                      SubjectCase{"RawControlCharacter", "a\x01z", "a z", ""},
                      SubjectCase{"RightToLeftOverride", "=?UTF-8?Q?invoice=E2=80=AEfdp.exe?=",
                                  "invoice\xE2\x80\xAE"
                                  "fdp.exe",
                                  ""}),
    [](const ::testing::TestParamInfo<SubjectCase>& info) { return info.param.name; });

class HostileTest : public ::testing::Test, protected JobFolder {};

TEST_F(HostileTest, PlantedLinkAtAnOutputNameIsReplacedNotFollowed) {
    for (int i = 1; i <= 3; ++i) {
        testsupport::MessageFileOptions options;
        options.mtime = 1700000000 + i;
        mail.addMessage(
            "", testsupport::simpleMessage("M" + std::to_string(i), "text " + std::to_string(i) + "\n"),
            options);
    }
    const fs::path victim = folder / "victim";
    testsupport::writeFileText(victim, "keep me");
    fs::create_symlink(victim, out / "00001.txt");
    const RunResult result = run({"--set=Save folder=" + out.string(), "--set=sort order=1", "/G", "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(testsupport::readFileText(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(out / "00001.txt"));
    EXPECT_EQ(testsupport::readFileText(out / "00001.txt"), "text 2\r\n\r\n");
}

TEST_F(HostileTest, TagTextCannotAddAHeaderField) {
    mail.addMessage("", testsupport::simpleMessage("Hello", "text\n"));
    const RunResult result =
        run({"--set=Save folder=" + out.string(), "--set=move messages=2",
             "--set=tag text=[x]\r\nBcc: evil@example.org\r\n\r\nInjected body\n", "/G", "/Q"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string message = testsupport::messageFilesBelow(mailRoot).begin()->second;
    const std::string header = message.substr(0, message.find("\n\n") + 1);
    EXPECT_EQ(header.find("\nBcc:"), std::string::npos) << header;
    EXPECT_EQ(header.find('\r'), std::string::npos) << header;
    EXPECT_NE(header.find("\nSubject: [x]"), std::string::npos) << header;
    EXPECT_EQ(message.substr(message.find("\n\n")), "\n\ntext\n");
}

// Memory caps do not work with AddressSanitizer, which reserves terabytes of address space.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryCapsWork = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMemoryCapsWork = false;
#else
constexpr bool kMemoryCapsWork = true;
#endif
#else
constexpr bool kMemoryCapsWork = true;
#endif

// The program under a 1 GiB address space limit.
const std::vector<std::string> kMemoryCap{"/usr/bin/prlimit", "--as=1073741824", "--"};

void makeSparse(const fs::path& file, const std::string& start, std::uintmax_t size) {
    testsupport::writeFileText(file, start);
    fs::resize_file(file, size);
}

class MemoryCap : public HostileTest {
protected:
    void SetUp() override {
        if (!kMemoryCapsWork)
            GTEST_SKIP() << "memory caps (ulimit -v) do not apply under AddressSanitizer";
    }

    // The run ended by itself: an exit status, not a signal.
    static void expectNoCrash(const RunResult& result) { EXPECT_LT(result.exitStatus, 128) << result.err; }
};

TEST_F(MemoryCap, OptionFileOfAGigabyte) {
    const fs::path job = folder / "Big.lks";
    makeSparse(job, "", std::uintmax_t(1) << 30);
    const RunResult result = run({"/F=" + job.string(), "/Q"}, kMemoryCap);
    expectNoCrash(result);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Error: Invalid stream format"), std::string::npos) << result.err;
}

TEST_F(MemoryCap, HiveFileOfAGigabyte) {
    const fs::path hive = folder / "config" / "larkspire" / "registry.reg";
    fs::create_directories(hive.parent_path());
    makeSparse(hive, "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\x]\n\"a\"=\"", std::uintmax_t(1) << 30);
    const RunResult result = run({"/Q"}, kMemoryCap);
    expectNoCrash(result);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("Error: "), std::string::npos) << result.err;
    EXPECT_EQ(fs::file_size(hive), std::uintmax_t(1) << 30) << "the hive was rewritten";
}

TEST_F(MemoryCap, LanguageFileOfAGigabyteFallsBackToTheBuiltInTexts) {
    // The language file lives beside the program, so this run uses a copy of it.
    const fs::path program = folder / "program" / "larkspire";
    fs::create_directories(program.parent_path() / "Languages");
    fs::copy_file(programPath(), program);
    makeSparse(program.parent_path() / "Languages" / "English.ini",
               "[Texts]\n8000=", std::uintmax_t(1) << 30);
    const fs::path saved = folder / "saved.lks";
    const RunResult result = run({"--set=Save folder=", "/G", "/Q"},
                                 {kMemoryCap[0], kMemoryCap[1], kMemoryCap[2], program.string()});
    expectNoCrash(result);
    EXPECT_NE(result.err.find("Error: The folder to save emails to is blank"), std::string::npos)
        << result.err;
}

TEST_F(MemoryCap, MessageOfAMillionParts) {
    std::string message =
        "From: a@example.org\nSubject: Parts\nContent-Type: multipart/mixed; boundary=\"m\"\n\n"
        "--m\nContent-Type: text/plain\n\nFirst part text.\n";
    message.reserve(message.size() + 7000010);
    for (int i = 0; i < 1000000; ++i)
        message += "--m\n\nx\n";
    mail.addMessage("", message + "--m--\n");
    const RunResult result = run({"--set=Save folder=" + out.string(), "/G", "/Q"}, kMemoryCap);
    expectNoCrash(result);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(testsupport::readFileText(out / "00000.txt"), "First part text.\r\n");
}

} // namespace
} // namespace e2e
