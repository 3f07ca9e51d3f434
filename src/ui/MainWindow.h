#pragma once
// The main window's logic, written once for both faces (the Qt window and the console). It owns
// what lives as long as the program: the mail session, the current settings, the two folder
// objects, the recent list and the window's own values. Everything it shows goes through
// MainWindowControls; message boxes, the status window, file dialogs and the desktop go through
// the services the face hands in. Handlers are named after the window's events.

#include "engine/RunHost.h"
#include "engine/StatusSink.h"
#include "mailstore/TMapiSession.h"
#include "mailstore/TMapiUserFolder.h"
#include "platform/DialogService.h"
#include "platform/Hive.h"
#include "platform/OptionFileLock.h"
#include "services/UpdateSchedule.h"
#include "settings/TSettings.h"
#include "ui/MainWindowControls.h"
#include "ui/RecentFiles.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

struct MainWindowServices {
    std::shared_ptr<mapi::IMapi> mapi; // the session is made on it at start-up
    platform::Hive* hive = nullptr;    // the current user's registry
    platform::DialogService* dialogs = nullptr;
    // A new status window for one run; the face owns it and may release it while the run works.
    std::function<std::weak_ptr<engine::StatusSink>()> createStatusWindow;
    // Opens a document, folder or web address on the desktop; throws when it cannot.
    std::function<void(const std::string& target)> shellOpen;
    // The Open and Save dialogs of option files; none when the user cancelled.
    std::function<std::optional<std::string>()> chooseFileToOpen;
    std::function<std::optional<std::string>()> chooseFileToSave;
    // Translates the window's own texts, once the language file is installed. None: the face
    // shows no designed texts.
    std::function<void()> translateWindow;
    // The last steps of the start-up: the update check, then the help contents on a first start
    // or else the tip of the day. None: the face has none of these.
    std::function<void(bool firstStart)> startupExtras;
};

class MainWindow : public engine::RunHost {
public:
    MainWindow(MainWindowControls& controls, MainWindowServices services);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Start-up, first half: session, folder objects, window values, settings from the registry,
    // the language file. False when the first argument was "/UNINSTALL": the program then ends
    // and nothing else of the start-up happens.
    bool FormCreate(std::vector<std::string> arguments);
    // Start-up, second half: settings into the controls, window values written, the command line,
    // the face's extras. An error ends it and is shown in the application's error box.
    void afterCreate();

    // Closing: the save question (false keeps the window open), then the settings into the
    // registry, then the window's own values. An end asked for by "/Q" or "/UNINSTALL" skips the
    // first two.
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();

    void settingsToControls();
    void controlsToSettings(settings::TSettings& target) const;
    void setModified(bool value);
    void setTitle();
    std::string title() const;

    // Handlers of the controls.
    void ProfileClick();
    void profileNameChange();
    void emailsFrom1Click();
    void emailsToClick();
    void changeOccured();
    void FileNameFormatChange();
    void prevButtonClick();
    void nextButtonClick();
    void PageControlChange();
    void testLoginClick();
    // A folder picked in the chooser: its path text and identity become the source (or the
    // destination) folder.
    void folderChosen(bool source, const std::string& path, const mailstore::TMapiUserFolder& folder);

    // Go: a fresh settings copy from the controls, validated, handed to a run.
    void finishButtonClick();

    // Option files and the recent list.
    void openFile(const std::string& path);
    void SaveFile(const std::string& path);
    void saveUpdatedCount() override;
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void recentFilesClick(const std::string& path);

    // The command line, processed once by the second half of the start-up. Options of our own
    // ("--...") go to `handler` in their place; it throws to end the command line.
    void setOptionHandler(std::function<void(const std::string& argument)> handler) {
        m_optionHandler = std::move(handler);
    }
    void processCommandLine();
    void processSwitch(const std::string& argument);
    void processSwitchFile(const std::string& argument);

    // A request of the request channel (the DDE execute command): "[FileOpen(\"path\"...)]" opens
    // the file without a save question; any other text is shown as an invalid message.
    void AppDDEExecuteMacro(const std::string& command);

    // The application's error box.
    void showApplicationError(const std::exception& error);
    void showApplicationError(const std::exception_ptr& error);

    // The uninstall page, opened on the desktop; then the program is asked to end.
    void openUninstallPage();

    // RunHost.
    mailstore::TMapiSession& session() override { return *m_session; }
    void setFirstNumber(std::int32_t number) override;
    platform::DialogService& dialogs() override { return *m_services.dialogs; }

    // State.
    MainWindowControls& controls() { return m_controls; }
    settings::TSettings& currentSettings() { return *m_settings; }
    mailstore::TMapiUserFolder& sourceFolder() { return *m_sourceFolder; }
    mailstore::TMapiUserFolder& destinationFolder() { return *m_destinationFolder; }
    const RecentFiles& recentFiles() const { return m_recent; }
    bool modified() const { return m_modified; }
    bool updateCount() const { return m_updateCount; }
    bool endRequested() const { return m_endRequested; }
    void requestEnd() { m_endRequested = true; }
    bool running() const { return m_running; }
    // How many "Invalid command line parameter" messages were shown.
    int invalidParameters() const { return m_invalidParameters; }
    const std::string& language() const { return m_language; }
    // Stored with the window's values; the language file is read at the next start.
    void setLanguage(std::string language) { m_language = std::move(language); }
    bool showTips() const { return m_showTips; }
    std::int32_t currentTip() const { return m_currentTip; }
    // After the tip of the day: stored with the window's values.
    void setTipValues(bool showTips, std::int32_t currentTip) {
        m_showTips = showTips;
        m_currentTip = currentTip;
    }
    bool firstStart() const { return m_firstStart; }
    // When the update check next runs by itself; stored with the window's values.
    services::UpdateSchedule& updateSchedule() { return m_schedule; }
    bool startedWithArguments() const { return !m_arguments.empty(); }

private:
    void loadWindowValues();
    void saveWindowValues();
    void installLanguage();
    void refreshSampleName();
    void applyEnabling();
    void showInvalidParameter(const std::string& argument);
    // The Login page's values to the session; held back while a run uses the session.
    void applyLogonParameters();

    MainWindowControls& m_controls;
    MainWindowServices m_services;
    std::vector<std::string> m_arguments;
    std::function<void(const std::string&)> m_optionHandler;
    std::unique_ptr<mailstore::TMapiSession> m_session;
    std::unique_ptr<mailstore::TMapiUserFolder> m_sourceFolder;
    std::unique_ptr<mailstore::TMapiUserFolder> m_destinationFolder;
    std::unique_ptr<settings::TSettings> m_settings;
    RecentFiles m_recent;
    std::string m_language = "English";
    bool m_showTips = false;
    std::int32_t m_currentTip = 0;
    bool m_firstStart = true;
    services::UpdateSchedule m_schedule{0};
    bool m_started = false; // the first half of the start-up has run to its end
    bool m_modified = false;
    bool m_updateCount = false;
    std::optional<platform::OptionFileLock> m_jobLock; // the command line's "/F=" file
    bool m_endRequested = false;
    bool m_running = false;
    bool m_logonPending = false; // the Login page changed during a run
    // Counts option files opened: a run's number goes back only to the job it was started from.
    std::uint64_t m_jobGeneration = 0;
    std::uint64_t m_runJobGeneration = 0;
    int m_invalidParameters = 0;
};

} // namespace ui
