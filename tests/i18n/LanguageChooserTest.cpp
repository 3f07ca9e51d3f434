#include "i18n/LanguageChoice.h"
#include "i18n/LanguageFolder.h"
#include "i18n/TStringLoader.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using testsupport::TemporaryFolder;
using Names = std::vector<std::string>;

TEST(LanguageChooserTest, ListsEveryIniFileCapitalisedAndSortedWithoutRegardToCase) {
    TemporaryFolder folder;
    for (const char* name : {"ENGLISH2.ini", "English.ini", "deutsch.ini", "notes.INI", "ελληνικά.ini",
                             ".ini", "readme.txt", "ini"}) {
        folder.writeFile(std::string("Languages/") + name, "");
    }
    fs::create_directories(folder / "Languages/folder.ini");
    EXPECT_EQ(i18n::ListLanguages(folder.path(), platform::FixedLocale()),
              (Names{"Deutsch", "English", "ENGLISH2", "Notes", "Ελληνικά"}));
}

TEST(LanguageChooserTest, NoLanguagesFolderListsNothing) {
    TemporaryFolder folder;
    EXPECT_TRUE(i18n::ListLanguages(folder.path(), platform::FixedLocale()).empty());
}

TEST(LanguageChooserTest, PreselectsTheCurrentLanguageElseEnglishElseTheFirst) {
    struct Case {
        Names languages;
        const char* current;
        std::optional<std::size_t> selected;
    };
    const Case cases[] = {
        {{"Deutsch", "English", "ENGLISH2"}, "english", 1},
        {{"Deutsch", "English", "ENGLISH2"}, "english2", 2},
        {{"Deutsch", "English"}, "Klingon", 1},
        {{"Deutsch", "Français"}, "Klingon", 0},
        {{"Deutsch", "English"}, "", 1},
        {{}, "English", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(i18n::SelectLanguage(c.languages, c.current), c.selected) << c.current;
    }
}

TEST(LanguageChooserTest, ChoosingStoresTheNameAndAsksForARestartOnlyWhenItChanges) {
    struct Case {
        const char* current;
        std::optional<std::string> selected;
        const char* stored;
        bool notice;
    };
    const Case cases[] = {
        {"English", "Deutsch", "Deutsch", true},
        {"english", "English", "English", false},
        {"", "Deutsch", "Deutsch", false},
        {"Deutsch", std::nullopt, "Deutsch", false},
    };
    for (const Case& c : cases) {
        const i18n::LanguageChoice choice = i18n::chooseLanguage(c.current, c.selected, "Larkspire");
        EXPECT_EQ(choice.language, c.stored) << c.current;
        EXPECT_EQ(choice.notice.has_value(), c.notice) << c.current;
    }
    EXPECT_EQ(i18n::chooseLanguage("English", "Deutsch", "Larkspire").notice,
              "You must exit Larkspire before the new language will take effect");
}

TEST(LanguageChooserTest, LanguageFileIsFoundWhateverTheCaseOfItsName) {
    TemporaryFolder folder;
    const fs::path onDisk =
        folder.writeFile("Languages/deutsch.ini", "[global]\r\n4441=Anmeldung erfolgreich\r\n");
    i18n::TStringLoader loader(folder / "Languages/Deutsch.ini");
    EXPECT_EQ(loader.loadText(4441, "Login succeeded"), "Anmeldung erfolgreich");
    // A write-back goes to that same file, not to a second one.
    loader.RecordEntry("TTstatusForm", "Exceptions.col_1.row_0", "Heading");
    EXPECT_EQ(loader.path(), onDisk);
    EXPECT_FALSE(fs::exists(folder / "Languages/Deutsch.ini"));
    EXPECT_NE(TemporaryFolder::readFile(onDisk).find("Exceptions.col_1.row_0=Heading"), std::string::npos);
}

TEST(LanguageChooserTest, ExactNameWinsAndAmongOthersTheFirstByName) {
    TemporaryFolder folder;
    const fs::path exact = folder.writeFile("Languages/Deutsch.ini", "");
    const fs::path upper = folder.writeFile("Languages/DEUTSCH.ini", "");
    folder.writeFile("Languages/deutsch.ini", "");
    EXPECT_EQ(i18n::findLanguageFile(exact), exact);
    EXPECT_EQ(i18n::findLanguageFile(folder / "Languages/DeUtScH.INI"), upper);
    EXPECT_EQ(i18n::findLanguageFile(folder / "Languages/Klingon.ini"), folder / "Languages/Klingon.ini");
}

} // namespace
