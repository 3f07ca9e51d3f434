#include "WindowFixture.h"

#include "settings/RegistryPersistence.h"

namespace uitest {
namespace {

class StartupTest : public WindowFixture {
protected:
    std::optional<platform::HiveValue> stored(const std::string& name) {
        const auto key = settings::openProductKey(hive, false);
        return key ? key->queryValue(name) : std::nullopt;
    }
};

TEST_F(StartupTest, FirstStartWithoutTheKey) {
    auto& w = startFully();
    EXPECT_EQ(w.language(), "English");
    EXPECT_FALSE(w.showTips());
    EXPECT_TRUE(w.firstStart());
    EXPECT_TRUE(w.recentFiles().empty());
    // The second half stored the window's values, the first-start flag now off.
    ASSERT_TRUE(stored("isFirstDay"));
    EXPECT_EQ(stored("isFirstDay")->dwordValue(), 0u);
    EXPECT_EQ(stored("show tips")->dwordValue(), 0u);
    EXPECT_TRUE(stored("rootDir"));
    // Defaults of a first start reach the controls.
    EXPECT_EQ(controls.fileNameFormatText, "%5.5d.txt");
    EXPECT_EQ(controls.emailsFromItem, ui::DefaultInboxItem);
    EXPECT_EQ(controls.tagTextText, "*RP* ");
}

TEST_F(StartupTest, KeyWithoutWindowValuesCountsAsAFirstStartWithTips) {
    settings::openProductKey(hive, true);
    auto& w = startFully();
    EXPECT_TRUE(w.firstStart());
    EXPECT_TRUE(w.showTips());
    window = nullptr;
    auto& again = startFully();
    EXPECT_FALSE(again.firstStart());
}

TEST_F(StartupTest, StartupExtrasHearOfTheFirstStart) {
    std::vector<bool> heard;
    ui::MainWindowServices services;
    services.mapi = mail.makeSubsystem();
    services.hive = &hive;
    services.dialogs = &dialogs;
    services.shellOpen = [](const std::string&) {};
    services.startupExtras = [&heard](bool firstStart) { heard.push_back(firstStart); };
    ui::MainWindow w(controls, std::move(services));
    ASSERT_TRUE(w.FormCreate({}));
    w.afterCreate();
    EXPECT_EQ(heard, std::vector<bool>{true});
}

TEST_F(StartupTest, NormalCloseWritesTheShownSettingsAndTheRecentList) {
    auto& w = startFully();
    controls.directoryText = folder.path().string();
    controls.tagTextText = "[seen] ";
    const std::string job = (folder / "close.lks").string();
    w.SaveFile(job);
    controls.firstNumberValue = 33;
    w.FileNameFormatChange();
    dialogs.answers = {platform::DialogButton::No};
    ASSERT_TRUE(w.FormCloseQuery());
    w.FormClose();
    w.FormDestroy();

    window = nullptr;
    auto& again = startFully();
    EXPECT_EQ(controls.firstNumberValue, 33);
    EXPECT_EQ(controls.tagTextText, "[seen] ");
    EXPECT_EQ(again.recentFiles().paths(), std::vector<std::string>{job});
}

TEST_F(StartupTest, QuitSkipsTheSettingsButKeepsTheWindowValues) {
    auto& w = startFully();
    const std::string job = (folder / "quit.lks").string();
    w.SaveFile(job);
    w.requestEnd();
    controls.firstNumberValue = 77;
    w.FileNameFormatChange();
    ASSERT_TRUE(w.FormCloseQuery());
    w.FormClose();
    w.FormDestroy();

    window = nullptr;
    auto& again = startFully();
    EXPECT_EQ(controls.firstNumberValue, 0);
    EXPECT_EQ(again.recentFiles().paths(), std::vector<std::string>{job});
}

} // namespace
} // namespace uitest
