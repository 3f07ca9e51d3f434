#include "settings/SettingsValidation.h"

#include "i18n/TStringLoader.h"
#include "platform/Format.h"
#include "support/FakeDialogService.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using platform::DialogButton;
using settings::TSettings;
using testsupport::FakeDialogService;
using testsupport::TemporaryFolder;

// A job that passes every check, writing into a fresh folder.
class SettingsValidationTest : public testing::Test {
protected:
    SettingsValidationTest() : m_settings(nullptr) {
        m_settings.saveFolder = m_folder.path().string();
        m_settings.numberFormat = "%5.5d.txt";
        m_settings.firstNumber = 7;
        m_settings.getFromDefaultFolder = true;
    }
    void TearDown() override { i18n::SetLoader(nullptr); }

    std::string errorOf() {
        try {
            settings::validateSettings(m_settings, m_dialogs);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "no error";
    }

    TemporaryFolder m_folder;
    TSettings m_settings;
    FakeDialogService m_dialogs;
};

struct FailureCase {
    const char* name;
    std::function<void(TSettings&)> change;
    const char* message;
};

class ValidationFailureTest : public SettingsValidationTest,
                              public testing::WithParamInterface<FailureCase> {};

TEST_P(ValidationFailureTest, FailsWithTheFirstCheckThatApplies) {
    GetParam().change(m_settings);
    EXPECT_EQ(errorOf(), GetParam().message);
    EXPECT_TRUE(m_dialogs.dialogs.empty());
}

// Each row breaks its own check and every later one, so the order of the checks shows.
INSTANTIATE_TEST_SUITE_P(
    Checks, ValidationFailureTest,
    testing::Values(FailureCase{"BlankFolder",
                                [](TSettings& s) {
                                    s.saveFolder.clear();
                                    s.numberFormat.clear();
                                },
                                "The folder to save emails to is blank"},
                    FailureCase{"MissingFolder",
                                [](TSettings& s) {
                                    s.saveFolder += "/missing";
                                    s.numberFormat.clear();
                                },
                                "The folder to save emails to does not exist"},
                    FailureCase{"QuotedFolderIsCheckedAsTyped",
                                [](TSettings& s) { s.saveFolder = "\"" + s.saveFolder + "\""; },
                                "The folder to save emails to does not exist"},
                    FailureCase{"BlankFormat",
                                [](TSettings& s) {
                                    s.numberFormat.clear();
                                    s.getFromDefaultFolder = false;
                                },
                                "The filename format is blank"},
                    FailureCase{"BlankSourceFolder",
                                [](TSettings& s) {
                                    s.getFromDefaultFolder = false;
                                    s.moveMessages = settings::MoveToFolder;
                                },
                                "The folder to get emails from is blank"},
                    FailureCase{"BlankDestinationThoughChosen",
                                [](TSettings& s) {
                                    s.moveMessages = settings::MoveToFolder;
                                    s.destinationFolder->entryId().assign(mapi::Binary(46, 7));
                                },
                                "The folder to move processed emails to is blank"},
                    FailureCase{"BlankTagText",
                                [](TSettings& s) {
                                    s.moveMessages = settings::TagSubject;
                                    s.tagText.clear();
                                    s.numberFormat = "%s";
                                },
                                "The tag text is blank"},
                    FailureCase{"FormatDoesNotFitTheNumber", [](TSettings& s) { s.numberFormat = "%s.txt"; },
                                "Format '%s' invalid or incompatible with argument"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(SettingsValidationTest, PassesWithoutAskingWhenNoFileIsInTheWay) {
    m_settings.moveMessages = settings::TagSubject;
    m_settings.tagText = "*RP* ";
    EXPECT_TRUE(settings::validateSettings(m_settings, m_dialogs));
    EXPECT_TRUE(m_dialogs.dialogs.empty());
}

TEST_F(SettingsValidationTest, DefaultFolderNeedsNoSourceName) {
    m_settings.fromFolderName.clear();
    EXPECT_TRUE(settings::validateSettings(m_settings, m_dialogs));
}

TEST_F(SettingsValidationTest, AsksBeforeReplacingTheFirstFile) {
    const std::filesystem::path existing = m_folder.writeFile("00007.txt", "old");
    for (const DialogButton answer : {DialogButton::Yes, DialogButton::No}) {
        m_dialogs.answers.push_back(answer);
        EXPECT_EQ(settings::validateSettings(m_settings, m_dialogs), answer == DialogButton::Yes);
    }
    ASSERT_EQ(m_dialogs.dialogs.size(), 2u);
    const FakeDialogService::Dialog& asked = m_dialogs.dialogs.front();
    EXPECT_EQ(asked.text, "The output file " + existing.string() + " already exists. Continue?");
    EXPECT_EQ(asked.kind, platform::DialogKind::Confirmation);
    EXPECT_EQ(asked.buttons, DialogButton::Yes | DialogButton::No);
    EXPECT_EQ(asked.helpContext, 0);
    EXPECT_EQ(TemporaryFolder::readFile(existing), "old");
}

TEST_F(SettingsValidationTest, FolderEndingInSlashGetsNoSecondSlash) {
    m_settings.saveFolder += "/";
    m_folder.writeFile("00007.txt", "old");
    m_dialogs.answers.push_back(DialogButton::No);
    EXPECT_FALSE(settings::validateSettings(m_settings, m_dialogs));
    ASSERT_EQ(m_dialogs.dialogs.size(), 1u);
    EXPECT_EQ(m_dialogs.dialogs[0].text.find("//"), std::string::npos);
}

TEST_F(SettingsValidationTest, TextsComeFromTheLanguageFile) {
    i18n::SetLoader(std::make_unique<i18n::TStringLoader>(
        m_folder.writeFile("Languages/Test.ini", "[global]\n8002=Kein Dateiformat\n")));
    m_settings.numberFormat.clear();
    EXPECT_EQ(errorOf(), "Kein Dateiformat");
}

} // namespace
