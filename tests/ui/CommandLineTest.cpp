#include "WindowFixture.h"

#include "services/ProductLinks.h"

namespace uitest {
namespace {

// A window whose job is valid: the default Inbox (empty) into the test folder.
class CommandLineFixture : public WindowFixture {
protected:
    ui::MainWindow& startWithJob() {
        start();
        window->settingsToControls();
        controls.directoryText = folder.path().string();
        job = (folder / "Daily.lks").string();
        window->SaveFile(job);
        window->setOptionHandler({});
        return *window;
    }

    std::string job;
};

struct SwitchCase {
    std::string name;
    std::string argument; // "@JOB@" stands for the option file's path
    int runs = 0;
    bool loads = false;
    bool ends = false;
    bool updateCount = false;
    bool invalid = false;
    bool opensPage = false;
};

class SwitchTest : public CommandLineFixture, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchTest, MatchesByPrefixOfTheUpperCasedArgument) {
    const SwitchCase& c = GetParam();
    auto& w = startWithJob();
    w.openFile(job); // the file name is known; a load below replaces the settings again
    w.currentSettings().optionFileName.clear();

    std::string argument = c.argument;
    if (const auto at = argument.find("@JOB@"); at != std::string::npos)
        argument.replace(at, 5, job);
    w.processSwitch(argument);

    EXPECT_EQ(runs, c.runs);
    EXPECT_EQ(w.currentSettings().optionFileName, c.loads ? job : "");
    EXPECT_EQ(w.endRequested(), c.ends);
    EXPECT_EQ(w.updateCount(), c.updateCount);
    if (c.invalid) {
        ASSERT_EQ(dialogs.infos.size(), 1u);
        EXPECT_EQ(dialogs.infos[0], "Invalid command line parameter\r\n" + argument);
    } else {
        EXPECT_TRUE(dialogs.infos.empty());
    }
    EXPECT_EQ(opened, c.opensPage ? std::vector<std::string>{services::uninstallPageAddress()}
                                  : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Switches, SwitchTest,
    ::testing::Values(SwitchCase{"LoadFile", "/F=@JOB@", 0, true},
                      SwitchCase{"LoadFileLowerCase", "/f=@JOB@", 0, true},
                      SwitchCase{"GoLowerCase", "/g", 1}, SwitchCase{"GoWord", "/GO", 1},
                      SwitchCase{"Quit", "/q", 0, false, true},
                      SwitchCase{"QuitWord", "/QUIT", 0, false, true},
                      SwitchCase{"UpdateCount", "/UpdateCount", 0, false, false, true},
                      SwitchCase{"UpdateCounts", "/UPDATECOUNTS", 0, false, false, true},
                      SwitchCase{"Uninstall", "/uninstall", 0, false, true, false, false, true},
                      SwitchCase{"Fred", "/Fred", 0, false, false, false, true},
                      SwitchCase{"U", "/U", 0, false, false, false, true},
                      SwitchCase{"SwitchFileAsLine", "/Z=other.txt", 0, false, false, false, true},
                      SwitchCase{"BarePath", "C:\\x.lks"}, SwitchCase{"LeadingBlank", " /G"}),
    [](const auto& info) { return info.param.name; });

class SwitchFileTest : public CommandLineFixture, public ::testing::WithParamInterface<std::string> {};

// The file of the example: a load, an empty line, a blank-led "/G" and a "/G": one run.
TEST_P(SwitchFileTest, EmptyLinesSkippedAndBlankLedLinesIgnored) {
    auto& w = startWithJob();
    w.currentSettings().optionFileName.clear();
    const std::string& end = GetParam();
    const auto file = folder.writeFile("switches.txt", "/F=" + job + end + end + " /G" + end + "/G" + end);
    w.processSwitchFile("/z=" + file.string());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(w.currentSettings().optionFileName, job);
    EXPECT_TRUE(dialogs.infos.empty());
}

INSTANTIATE_TEST_SUITE_P(LineEnds, SwitchFileTest, ::testing::Values("\r\n", "\n", "\r"),
                         [](const auto& info) {
                             return info.param == "\r\n" ? std::string("CrLf")
                                    : info.param == "\n" ? "Lf"
                                                         : "Cr";
                         });

class CommandLineTest : public CommandLineFixture {};

TEST_F(CommandLineTest, SwitchFileLineNamingASwitchFileIsInvalidAndTheRestGoesOn) {
    auto& w = startWithJob();
    const auto file = folder.writeFile("switches.txt", "/Z=" + job + "\n/Q\n");
    w.processSwitchFile("/Z=" + file.string());
    EXPECT_EQ(dialogs.infos, std::vector<std::string>{"Invalid command line parameter\r\n/Z=" + job});
    EXPECT_TRUE(w.endRequested());
}

TEST_F(CommandLineTest, UnreadableSwitchFileEndsTheCommandLineAndClearsTheFlag) {
    startWithJob();
    window = nullptr;
    dialogs.answers = {platform::DialogButton::OK};
    startFully({"/UPDATECOUNT", "/Z=" + (folder / "missing.txt").string(), "/Q"});
    EXPECT_FALSE(window->updateCount());
    EXPECT_FALSE(window->endRequested());
    ASSERT_EQ(dialogs.dialogs.size(), 1u);
    EXPECT_EQ(dialogs.dialogs[0].kind, platform::DialogKind::Error);
    EXPECT_NE(dialogs.dialogs[0].text.find("missing.txt"), std::string::npos);
    // The application's error box carries the application title, which the window keeps.
    EXPECT_EQ(dialogs.dialogs[0].title, "Untitled - Larkspire");
}

TEST_F(CommandLineTest, QuitBeforeGoStillRuns) {
    startWithJob();
    window = nullptr;
    startFully({"/F=" + job, "/Q", "/G"});
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(window->endRequested());
}

TEST_F(CommandLineTest, FailingGoEndsTheCommandLineBeforeQuit) {
    start();
    window->settingsToControls();
    controls.directoryText = (folder / "nowhere").string();
    job = (folder / "bad.lks").string();
    window->SaveFile(job);
    window = nullptr;
    dialogs.answers = {platform::DialogButton::OK};
    startFully({"/F=" + job, "/G", "/Q"});
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(window->endRequested());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"The folder to save emails to does not exist"});
}

TEST_F(CommandLineTest, FirstArgumentUninstallEndsBeforeTheStartUp) {
    start({"/UNINSTALL", "/G"});
    EXPECT_TRUE(window->endRequested());
    EXPECT_EQ(opened, std::vector<std::string>{services::uninstallPageAddress()});
    EXPECT_EQ(services::uninstallPageAddress(), "https://www.quenby-software.example/templates/uninstall.html"
                                                "?application=Larkspire&ver=2.3&source=commandline");
    window->FormDestroy();
    EXPECT_FALSE(std::filesystem::exists(folder / "registry.reg"));
}

} // namespace
} // namespace uitest
