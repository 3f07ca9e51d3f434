#include "platform/Hive.h"

#include "platform/StepCounter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

const char* const kKey = "SOFTWARE\\Tamberlock\\Larkspire";

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class HiveTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "hive-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_file = m_folder / "larkspire" / "registry.reg";
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    Hive makeHive() {
        return Hive(m_file, [this](const HiveDamage& damage) { m_reports.push_back(damage); });
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_file;
    std::vector<HiveDamage> m_reports;
};

TEST_F(HiveTest, EveryTypeAndEscapeSurvivesANewStart) {
    const char raw[] = "back\\slash \"quoted\"\r\nline\ttab\x01\x7f\xc3\xa9 nul\0end";
    const std::string awkward(raw, sizeof raw - 1);
    const std::string bytes("\x00\x80\xff\x0a\x0d", 5);
    {
        Hive hive = makeHive();
        HiveKey key = hive.createKey(kKey);
        key.writeString("text", awkward);
        key.writeString("empty", "");
        key.setValue("expand", HiveValue::expandString("%HOME%\\x"));
        key.writeDword("dword", 0xFFFFFFFF);
        key.writeBinary("binary", bytes);
        key.writeBinary("no bytes", "");
        key.writeString("name \"with\" \\ and\nnewline", "v");
    }
    Hive hive = makeHive();
    const auto key = hive.openKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString("text", "?"), awkward);
    EXPECT_EQ(key->readString("empty", "?"), "");
    EXPECT_EQ(key->queryValue("expand"), HiveValue::expandString("%HOME%\\x"));
    EXPECT_EQ(key->readString("expand", "?"), "%HOME%\\x");
    EXPECT_EQ(key->readDword("dword", 0), 0xFFFFFFFFu);
    EXPECT_EQ(key->queryValue("binary"), HiveValue::binary(bytes));
    EXPECT_EQ(key->queryValue("no bytes"), HiveValue::binary(""));
    EXPECT_EQ(key->readString("name \"with\" \\ and\nnewline", "?"), "v");
    EXPECT_EQ(key->valueNames().size(), 7u);
    EXPECT_TRUE(m_reports.empty());

    const std::string text = readAll(m_file);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\SOFTWARE\\Tamberlock\\Larkspire]\n"), std::string::npos);
    EXPECT_NE(
        text.find(
            "\"text\"=\"back\\\\slash \\\"quoted\\\"\\r\\nline\\x09tab\\x01\\x7f\xc3\xa9 nul\\x00end\"\n"),
        std::string::npos);
    EXPECT_NE(text.find("\"dword\"=dword:ffffffff\n"), std::string::npos);
}

TEST_F(HiveTest, WrongTypesAndMissingValuesReadAsTheDefault) {
    Hive hive = makeHive();
    HiveKey key = hive.createKey(kKey);
    key.writeString("First number", "12");
    key.writeDword("Save folder", 3);
    key.writeBinary("Number format", "abc");
    EXPECT_EQ(key.readDword("First number", 7), 7u);
    EXPECT_EQ(key.readString("Save folder", "fallback"), "fallback");
    EXPECT_EQ(key.readString("Number format", "fallback"), "fallback");
    EXPECT_EQ(key.readDword("missing", 5), 5u);
    EXPECT_EQ(key.readString("missing", "m"), "m");
    EXPECT_FALSE(key.queryValue("missing"));
}

TEST_F(HiveTest, KeyAndValueNamesIgnoreLetterCase) {
    Hive hive = makeHive();
    hive.createKey(kKey).writeString("Save Folder", "one");
    auto key = hive.openKey("software\\TAMBERLOCK\\larkspire");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString("save folder", "?"), "one");
    key->writeString("SAVE FOLDER", "two");
    EXPECT_EQ(key->valueNames(), std::vector<std::string>{"Save Folder"});
    EXPECT_EQ(key->readString("Save Folder", "?"), "two");
    EXPECT_TRUE(hive.openKey("Software\\Tamberlock"));
}

TEST_F(HiveTest, OpeningWithoutCreatingLeavesTheDiskAlone) {
    Hive hive = makeHive();
    EXPECT_FALSE(hive.openKey(kKey));
    EXPECT_FALSE(std::filesystem::exists(m_file));
    hive.createKey(kKey);
    EXPECT_TRUE(hive.openKey(kKey));
    EXPECT_TRUE(Hive(m_file).openKey(kKey));
    // Private to the user, like the registry's current-user hive.
    EXPECT_EQ(std::filesystem::status(m_file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(HiveTest, DeletingAValueRemovesOnlyThatValue) {
    Hive hive = makeHive();
    HiveKey key = hive.createKey(kKey);
    key.writeDword("a", 1);
    key.writeDword("b", 2);
    EXPECT_TRUE(key.deleteValue("A"));
    EXPECT_FALSE(key.deleteValue("a"));
    EXPECT_EQ(Hive(m_file).openKey(kKey)->valueNames(), std::vector<std::string>{"b"});
}

TEST_F(HiveTest, EachCopySeesTheOthersWrites) {
    Hive first = makeHive();
    Hive second = makeHive();
    HiveKey one = first.createKey(kKey);
    one.writeDword("a", 1);
    HiveKey two = *second.openKey(kKey);
    EXPECT_EQ(two.readDword("a", 0), 1u);
    two.writeDword("b", 2);
    one.writeDword("a", 3);
    EXPECT_EQ(one.readDword("b", 0), 2u);
    EXPECT_EQ(two.readDword("a", 0), 3u);
}

TEST_F(HiveTest, TwoProcessesWritingAtOnceKeepEveryValue) {
    constexpr int kValuesPerChild = 60;
    Hive(m_file).createKey(kKey);
    std::vector<pid_t> children;
    for (const char* prefix : {"left", "right"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int status = 0;
            try {
                Hive hive(m_file);
                HiveKey key = *hive.openKey(kKey);
                for (int i = 0; i < kValuesPerChild; ++i)
                    key.writeDword(std::string(prefix) + std::to_string(i), static_cast<std::uint32_t>(i));
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Hive hive = makeHive();
    const auto key = hive.openKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->valueNames().size(), 2u * kValuesPerChild);
    for (const char* prefix : {"left", "right"})
        for (int i = 0; i < kValuesPerChild; ++i)
            EXPECT_EQ(key->readDword(std::string(prefix) + std::to_string(i), 9999),
                      static_cast<std::uint32_t>(i))
                << prefix << i;
    EXPECT_TRUE(m_reports.empty());
}

// A child stops at every durable step of one write in turn; after each stop the file is whole
// and holds either the old or the new value, never a mixture or nothing.
TEST_F(HiveTest, ACrashAtAnyStepLeavesTheOldOrTheNewFile) {
    {
        Hive hive(m_file);
        HiveKey key = hive.createKey(kKey);
        key.writeString("keep", "kept");
        key.writeString("value", "old");
    }
    const std::string before = readAll(m_file);
    int stops = 0;
    for (long step = 1;; ++step) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setStopAtStep(step);
            Hive hive(m_file);
            hive.openKey(kKey)->writeString("value", "new");
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        Hive hive = makeHive();
        const auto key = hive.openKey(kKey);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->readString("keep", "?"), "kept");
        const std::string value = key->readString("value", "?");
        if (WEXITSTATUS(status) == 0) {
            EXPECT_EQ(value, "new");
            break;
        }
        ASSERT_EQ(WEXITSTATUS(status), 77);
        ++stops;
        EXPECT_TRUE(value == "old" || value == "new") << value;
        if (value == "new")
            writeAll(m_file, before);
    }
    EXPECT_GE(stops, 3); // write, fsync and rename at the least
    EXPECT_TRUE(m_reports.empty());
}

TEST_F(HiveTest, ADamagedFileIsReportedOnceAndNothingReadableIsLost) {
    std::filesystem::create_directories(m_file.parent_path());
    const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Tamberlock\\Larkspire]\n"
                                "\"a\"=\"1\"\n\"b\"=dword:zz\n\"c\"=dword:00000003\n";
    writeAll(m_file, damaged);
    Hive hive = makeHive();
    auto key = hive.openKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString("a", "?"), "1");
    EXPECT_EQ(key->readDword("b", 7), 7u);
    EXPECT_EQ(key->readDword("c", 0), 3u);
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0].line, 5);
    EXPECT_EQ(m_reports[0].file, m_file);

    key->writeString("d", "4");
    EXPECT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(readAll(m_file.string() + ".damaged"), damaged);
    Hive fresh = makeHive();
    const auto reread = fresh.openKey(kKey);
    EXPECT_EQ(reread->readString("a", "?"), "1");
    EXPECT_EQ(reread->readDword("c", 0), 3u);
    EXPECT_EQ(reread->readString("d", "?"), "4");
    EXPECT_EQ(m_reports.size(), 1u);
}

TEST_F(HiveTest, AnUnreadableFileIsReportedAndNeverOverwritten) {
    std::filesystem::create_directories(m_file);
    Hive hive = makeHive();
    EXPECT_FALSE(hive.openKey(kKey));
    EXPECT_FALSE(hive.openKey(kKey));
    EXPECT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0].line, 0);
    EXPECT_THROW(hive.createKey(kKey), std::system_error);
    EXPECT_TRUE(std::filesystem::is_directory(m_file));
}

TEST_F(HiveTest, AWriteThatCannotReachTheDiskThrows) {
    // A plain file stands where the hive's folder should be.
    writeAll(m_folder / "plain-file", "x");
    Hive blocked(m_folder / "plain-file" / "registry.reg");
    EXPECT_FALSE(blocked.openKey(kKey));
    EXPECT_THROW(blocked.createKey(kKey), std::system_error);
}

TEST(HivePathTest, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(defaultHivePath(), std::filesystem::path("/somewhere/config/larkspire/registry.reg"));
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (home && *home) {
        EXPECT_EQ(defaultHivePath(), std::filesystem::path(home) / ".config/larkspire/registry.reg");
    }
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
}

} // namespace
} // namespace platform
