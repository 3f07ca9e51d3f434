#include "settings/RegistryPersistence.h"

#include "OptionFileSamples.h"
#include "settings/SettingNames.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace settings {
namespace {

using platform::HiveType;
using platform::HiveValue;

const char* const kKey = "SOFTWARE\\Tamberlock\\Larkspire";

class RegistryPersistenceTest : public testing::Test {
protected:
    platform::Hive& hive() { return m_hive; }
    platform::HiveKey key() { return m_hive.createKey(kKey); }

    samples::ScratchFolder m_folder;
    platform::Hive m_hive{m_folder.path() / "larkspire" / "registry.reg"};
};

struct StoredValue {
    const char* name;
    HiveType type;
};

// The settings values in the order every save writes them.
const StoredValue kSettingsValues[] = {
    {"Weftmark filter", HiveType::String},
    {"Save folder", HiveType::String},
    {"First number", HiveType::Dword},
    {"Number format", HiveType::String},
    {"Include subject", HiveType::Dword},
    {"Start tag", HiveType::String},
    {"End tag", HiveType::String},
    {"Include attachments", HiveType::Dword},
    {"msgDestination", HiveType::String},
    {"email header", HiveType::String},
    {"email footer", HiveType::String},
    {"move messages", HiveType::Dword},
    {"get from default folder", HiveType::Dword},
    {"from folder name", HiveType::String},
    {"reprocess emails", HiveType::Dword},
    {"sort order", HiveType::Dword},
    {"sort descending", HiveType::Dword},
    {"tag text", HiveType::String},
    {"extensions", HiveType::String},
    {"extension actions", HiveType::String},
    {"from.cb", HiveType::Dword},
    {"from.pentry", HiveType::Binary},
    {"to.cb", HiveType::Dword},
    {"to.pentry", HiveType::Binary},
    {"manual folder", HiveType::String},
    {"manual format", HiveType::String},
    {"from_store_cb", HiveType::Dword},
    {"from_store_entry", HiveType::Binary},
    {"to_store_cb", HiveType::Dword},
    {"to_store_entry", HiveType::Binary},
    {"readStatus", HiveType::Dword},
    {"wordmacro", HiveType::String},
};

TEST_F(RegistryPersistenceTest, SavingAndLoadingGivesBackTheJob) {
    TSettings saved(nullptr);
    samples::fill(saved);
    saveSettingsToRegistry(saved, hive());

    platform::Hive restarted(m_folder.path() / "larkspire" / "registry.reg");
    TSettings loaded(nullptr);
    loadSettingsFromRegistry(loaded, restarted);
    samples::expectSameJob(saved, loaded, false);
    // The login choice and the option file name live in option files only.
    EXPECT_EQ(loaded.Profile, DefaultProfile);
    EXPECT_EQ(loaded.profileName, "");
    EXPECT_EQ(loaded.optionFileName, "");
}

TEST_F(RegistryPersistenceTest, ValuesHaveTheirNamesTypesAndOrder) {
    TSettings settings(nullptr);
    samples::fill(settings);
    saveSettingsToRegistry(settings, hive());
    const auto stored = key();
    std::vector<std::string> expectedNames;
    for (const auto& value : kSettingsValues) {
        expectedNames.push_back(value.name);
        const auto read = stored.queryValue(value.name);
        ASSERT_TRUE(read) << value.name;
        EXPECT_EQ(read->type, value.type) << value.name;
    }
    EXPECT_EQ(stored.valueNames(), expectedNames);
    EXPECT_EQ(stored.readString("extensions", ""), ".doc\r\n.pdf\r\n.zip\r\n");
    EXPECT_EQ(stored.readDword("from.cb", 0), 46u);
    EXPECT_EQ(stored.queryValue("from.pentry")->data.size(), 46u);
    EXPECT_EQ(stored.readDword("sort descending", 9), 1u);
    EXPECT_EQ(stored.readDword("move messages", 9), 2u);
}

TEST_F(RegistryPersistenceTest, AFirstStartGetsEveryDefault) {
    TSettings loaded(nullptr);
    loadSettingsFromRegistry(loaded, hive());
    TSettings defaults(nullptr);
    applyDefaults(defaults);
    samples::expectSameJob(defaults, loaded, true);
    EXPECT_TRUE(loaded.getFromDefaultFolder);
    EXPECT_EQ(loaded.numberFormat, "%5.5d.txt");
    // The key is made on the way.
    EXPECT_TRUE(platform::Hive(hive().file()).openKey(kKey));
}

TEST_F(RegistryPersistenceTest, IncludeSubjectBecomesPartOfTheHeader) {
    key().writeDword("Include subject", 1);
    key().writeString("email header", "From: %FROM\r\nSent: %SENT\r\nTo: %TO\r\nSubject: %SUBJECT\r\n");
    TSettings settings(nullptr);
    loadSettingsFromRegistry(settings, hive());
    EXPECT_EQ(settings.emailHeader,
              "%SUBJECT\r\n\r\nFrom: %FROM\r\nSent: %SENT\r\nTo: %TO\r\nSubject: %SUBJECT\r\n");
    saveSettingsToRegistry(settings, hive());
    EXPECT_EQ(key().readDword("Include subject", 9), 0u);
    EXPECT_EQ(key().readString("email header", ""), settings.emailHeader);
    TSettings again(nullptr);
    loadSettingsFromRegistry(again, hive());
    EXPECT_EQ(again.emailHeader, settings.emailHeader);
}

TEST_F(RegistryPersistenceTest, ValuesOfTheWrongTypeReadAsTheirDefaults) {
    key().writeString("First number", "12");
    key().writeDword("Number format", 5);
    key().writeBinary("tag text", "xx");
    key().writeString("get from default folder", "0");
    key().setValue("Save folder", HiveValue::expandString("/expanded/"));
    TSettings settings(nullptr);
    loadSettingsFromRegistry(settings, hive());
    EXPECT_EQ(settings.firstNumber, 0);
    EXPECT_EQ(settings.numberFormat, "%5.5d.txt");
    EXPECT_EQ(settings.tagText, "*RP* ");
    EXPECT_TRUE(settings.getFromDefaultFolder);
    EXPECT_EQ(settings.saveFolder, "/expanded/");
}

TEST_F(RegistryPersistenceTest, AnEntryIdLongerThanItsLengthClearsTheFolderName) {
    key().writeString("from folder name", "Lists");
    key().writeString("msgDestination", "Archive");
    key().writeDword("from.cb", 30);
    key().writeBinary("from.pentry", std::string(31, 'x'));
    key().writeDword("from_store_cb", 40);
    key().writeBinary("from_store_entry", std::string(40, 's'));
    key().writeDword("to.cb", 24);
    key().writeBinary("to.pentry", std::string(24, 't'));
    TSettings settings(nullptr);
    loadSettingsFromRegistry(settings, hive());
    EXPECT_EQ(settings.fromFolderName, "");
    EXPECT_EQ(settings.sourceFolder->entryId().size(), 30u);
    // The store entry id is not read after the failure.
    EXPECT_EQ(settings.sourceFolder->store()->entryId().toBinary(), mapi::Binary(24, 0));
    EXPECT_EQ(settings.msgDestination, "Archive");
    EXPECT_EQ(settings.destinationFolder->entryId().toBinary(), mapi::Binary(24, 't'));
}

TEST_F(RegistryPersistenceTest, EntryIdBlocksFollowTheirLengths) {
    key().writeString("msgDestination", "Archive");
    key().writeDword("from.cb", 10); // below the minimum: 24
    key().writeBinary("from.pentry", "abc");
    key().writeDword("from_store_cb", 28); // no bytes stored: the new buffer stays zero
    key().writeDword("to.cb", 24);
    key().writeString("to.pentry", "not binary");
    TSettings settings(nullptr);
    loadSettingsFromRegistry(settings, hive());
    mapi::Binary source(24, 0);
    source[0] = 'a';
    source[1] = 'b';
    source[2] = 'c';
    EXPECT_EQ(settings.sourceFolder->entryId().toBinary(), source);
    EXPECT_EQ(settings.sourceFolder->store()->entryId().toBinary(), mapi::Binary(28, 0));
    EXPECT_EQ(settings.msgDestination, "");
}

// A child whose files may not grow past a few hundred bytes: the save stops at the first value
// that does not fit, names it, and keeps every value written before it.
TEST_F(RegistryPersistenceTest, AValueThatCannotBeWrittenEndsTheSaveAndNamesIt) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{400, 400};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TSettings settings(nullptr);
        samples::fill(settings);
        std::string message = "no error";
        try {
            saveSettingsToRegistry(settings, hive());
        } catch (const RegistryError& error) {
            message = error.what();
        }
        [[maybe_unused]] const auto written = ::write(pipeEnds[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string message;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);

    const auto stored = hive().openKey(kKey);
    ASSERT_TRUE(stored);
    const std::vector<std::string> names = stored->valueNames();
    ASSERT_FALSE(names.empty());
    ASSERT_LT(names.size(), std::size(kSettingsValues));
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i], kSettingsValues[i].name);
    EXPECT_EQ(message, std::string("Failed to set data for '") + kSettingsValues[names.size()].name + "'");
}

TEST_F(RegistryPersistenceTest, AHiveThatCannotBeWrittenFailsTheFirstValue) {
    std::filesystem::create_directories(hive().file());
    TSettings settings(nullptr);
    samples::fill(settings);
    EXPECT_NO_THROW(loadSettingsFromRegistry(settings, hive()));
    EXPECT_EQ(settings.saveFolder, "/home/me/mail text/");
    try {
        saveSettingsToRegistry(settings, hive());
        FAIL() << "saved into a folder";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'Weftmark filter'");
    }
}

TEST_F(RegistryPersistenceTest, MainWindowValuesComeBack) {
    MainWindowValues values;
    values.recentFiles = {"/home/me/a.lks", "/home/me/b.lks"};
    EXPECT_FALSE(loadMainWindowValues(values, hive()));
    EXPECT_EQ(values.recentFiles.size(), 2u);
    EXPECT_FALSE(hive().openKey(kKey));

    values.language = "Deutsch";
    values.showTips = false;
    values.currentTip = 7;
    saveMainWindowValues(values, hive());
    const auto stored = key();
    EXPECT_EQ(stored.readString("SOFTWARE\\Tamberlock\\Larkspire\\Recent files", ""),
              "/home/me/a.lks\r\n/home/me/b.lks\r\n");
    EXPECT_EQ(stored.valueNames(), (std::vector<std::string>{"SOFTWARE\\Tamberlock\\Larkspire\\Recent files",
                                                             "language", "show tips", "current tip"}));

    MainWindowValues loaded;
    loaded.language = "";
    EXPECT_TRUE(loadMainWindowValues(loaded, hive()));
    EXPECT_EQ(loaded.recentFiles, values.recentFiles);
    EXPECT_EQ(loaded.language, "Deutsch");
    EXPECT_FALSE(loaded.showTips);
    EXPECT_EQ(loaded.currentTip, 7);
}

TEST_F(RegistryPersistenceTest, MissingMainWindowValuesGetTheirDefaults) {
    key().writeDword("unrelated", 1);
    MainWindowValues loaded;
    loaded.recentFiles = {"old"};
    loaded.language = "";
    loaded.showTips = false;
    loaded.currentTip = 3;
    EXPECT_TRUE(loadMainWindowValues(loaded, hive()));
    EXPECT_TRUE(loaded.recentFiles.empty());
    EXPECT_EQ(loaded.language, "English");
    EXPECT_TRUE(loaded.showTips);
    EXPECT_EQ(loaded.currentTip, 0);
}

} // namespace
} // namespace settings
