#include "WindowFixture.h"

#include "settings/OptionFile.h"

#include <filesystem>

namespace uitest {
namespace {

using platform::DialogButton;

class MainWindowTest : public WindowFixture {};

TEST_F(MainWindowTest, TitleFollowsTheOptionFileAndTheModifiedFlag) {
    auto& w = startFully();
    EXPECT_EQ(controls.caption, "Untitled - Larkspire");
    controls.tagTextText = "[done] ";
    w.changeOccured();
    EXPECT_EQ(controls.caption, "Untitled (modified) - Larkspire");

    const std::string job = (folder / "jobs.lks").string();
    w.SaveFile(job);
    EXPECT_EQ(controls.caption, "jobs.lks - Larkspire");
    EXPECT_FALSE(w.modified());
    controls.firstNumberValue = 9;
    w.FileNameFormatChange();
    EXPECT_EQ(controls.caption, "jobs.lks (modified) - Larkspire");
}

TEST_F(MainWindowTest, SettingsToControlsSetsEnablingAndClearsTheFlag) {
    auto& w = startFully();
    auto& s = w.currentSettings();
    s.getFromDefaultFolder = false;
    s.fromFolderName = "Personal Folders\\Archive";
    s.moveMessages = 2;
    s.Profile = 2;
    s.profileName = "Work";
    s.firstNumber = 7;
    s.numberFormat = "%5.5d.txt";
    w.setModified(true);
    w.settingsToControls();

    EXPECT_FALSE(w.modified());
    EXPECT_EQ(controls.emailsFromItem, ui::FolderItem);
    EXPECT_TRUE(controls.sourceFolderEnabled);
    EXPECT_TRUE(controls.tagTextEnabled);
    EXPECT_FALSE(controls.destinationFolderEnabled);
    EXPECT_TRUE(controls.loginNameEnabled);
    EXPECT_EQ(w.session().loginChoice(), 2);
    EXPECT_EQ(w.session().profileName(), "Work");
    EXPECT_EQ(controls.sampleNameText, "Sample filename: 00007.txt");
    EXPECT_FALSE(controls.sampleNameIsError);
}

TEST_F(MainWindowTest, ControlsToSettingsCopiesShownValuesAndNeverThePassword) {
    auto& w = startFully();
    controls.passwordText = "secret";
    controls.directoryText = "/out";
    controls.emailsFromItem = ui::DefaultInboxItem;
    controls.readStatusChecked = true;
    settings::TSettings target(&w.session());
    target.emailFooter = "kept";
    w.controlsToSettings(target);
    EXPECT_EQ(target.saveFolder, "/out");
    EXPECT_TRUE(target.getFromDefaultFolder);
    EXPECT_TRUE(target.readStatus);
    EXPECT_EQ(target.emailFooter, "kept");

    const std::string job = (folder / "job.lks").string();
    w.SaveFile(job);
    const std::string bytes = testsupport::TemporaryFolder::readFile(job);
    EXPECT_EQ(bytes.find("secret"), std::string::npos);
}

TEST_F(MainWindowTest, SampleNameShowsTheFormatErrorInRed) {
    auto& w = startFully();
    controls.fileNameFormatText = "%d %d";
    w.FileNameFormatChange();
    EXPECT_TRUE(controls.sampleNameIsError);
    EXPECT_EQ(controls.sampleNameText, "Error - see help or fix format: No argument for format '%d'");
    controls.fileNameFormatText = "%SUBJECT-%3.3d.txt";
    controls.firstNumberValue = 4;
    w.FileNameFormatChange();
    EXPECT_FALSE(controls.sampleNameIsError);
    EXPECT_EQ(controls.sampleNameText, "Sample filename: Subject-004.txt");
}

TEST_F(MainWindowTest, NavigationEnablesBackAndNextByPage) {
    auto& w = startFully();
    EXPECT_FALSE(controls.backEnabled);
    EXPECT_TRUE(controls.nextEnabled);
    for (int i = 0; i < 5; ++i)
        w.nextButtonClick();
    EXPECT_EQ(controls.page, 3);
    EXPECT_TRUE(controls.backEnabled);
    EXPECT_FALSE(controls.nextEnabled);
    controls.page = 0; // a page tab picked by the user
    w.PageControlChange();
    EXPECT_FALSE(controls.backEnabled);
}

TEST_F(MainWindowTest, FailedOpenFileLeavesControlsTitleAndRecentList) {
    auto& w = startFully();
    const std::string good = (folder / "good.lks").string();
    controls.tagTextText = "[A] ";
    w.SaveFile(good);
    w.openFile(good);
    controls.tagTextText = "[edited] ";
    w.changeOccured();
    const std::string caption = controls.caption;

    const std::string bad = folder.writeFile("bad.lks", "this is no option file").string();
    EXPECT_ANY_THROW(w.openFile(bad));
    EXPECT_EQ(controls.tagTextText, "[edited] ");
    EXPECT_EQ(controls.caption, caption);
    EXPECT_EQ(w.currentSettings().optionFileName, good);
    EXPECT_EQ(w.recentFiles().paths(), std::vector<std::string>{good});
    EXPECT_TRUE(w.modified());
}

TEST_F(MainWindowTest, FailedSaveLeavesFlagTitleAndRecentList) {
    auto& w = startFully();
    controls.tagTextText = "[x] ";
    w.changeOccured();
    EXPECT_ANY_THROW(w.SaveFile((folder / "missing-folder" / "job.lks").string()));
    EXPECT_TRUE(w.modified());
    EXPECT_EQ(controls.caption, "Untitled (modified) - Larkspire");
    EXPECT_TRUE(w.recentFiles().empty());
}

TEST_F(MainWindowTest, SaveUpdatedCountSavesOnlyUnderTheFlagWithAFileLoaded) {
    auto& w = startFully();
    // No option file yet: nothing to save even under the flag.
    w.processSwitch("/UPDATECOUNT");
    w.setFirstNumber(50);
    w.saveUpdatedCount();
    EXPECT_TRUE(w.currentSettings().optionFileName.empty());

    const std::string job = (folder / "count.lks").string();
    controls.firstNumberValue = 100;
    w.SaveFile(job);
    w.setFirstNumber(112);
    EXPECT_TRUE(w.modified());
    w.saveUpdatedCount();
    EXPECT_FALSE(w.modified());
    settings::TSettings reread(&w.session());
    settings::loadOptionFile(reread, job);
    EXPECT_EQ(reread.firstNumber, 112);
}

TEST_F(MainWindowTest, SaveUpdatedCountWithoutTheFlagKeepsTheFile) {
    auto& w = startFully();
    const std::string job = (folder / "count.lks").string();
    controls.firstNumberValue = 100;
    w.SaveFile(job);
    w.setFirstNumber(112);
    w.saveUpdatedCount();
    EXPECT_TRUE(w.modified());
    settings::TSettings reread(&w.session());
    settings::loadOptionFile(reread, job);
    EXPECT_EQ(reread.firstNumber, 100);
}

TEST_F(MainWindowTest, SaveQuestionOnClose) {
    auto& w = startFully();
    controls.tagTextText = "[x] ";
    w.changeOccured();
    dialogs.answers = {DialogButton::Cancel, DialogButton::No};
    EXPECT_FALSE(w.FormCloseQuery());
    EXPECT_TRUE(w.FormCloseQuery());
    ASSERT_EQ(dialogs.dialogs.size(), 2u);
    EXPECT_EQ(dialogs.dialogs[0].text, "Save current settings?");
}

TEST_F(MainWindowTest, EndRequestedAsksNothing) {
    auto& w = startFully({"/Q"});
    controls.tagTextText = "[x] ";
    w.changeOccured();
    EXPECT_TRUE(w.endRequested());
    EXPECT_TRUE(w.FormCloseQuery());
    EXPECT_TRUE(dialogs.dialogs.empty());
}

} // namespace
} // namespace uitest
