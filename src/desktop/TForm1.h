#pragma once
// The main window: the four wizard pages, the menus, the tool bar and the status bar. It adapts
// the widgets to the window's logic (ui::MainWindow), which is written once for both faces; no
// job logic lives here. Every user action goes through act(), which shows an error in the
// application's error box and keeps the window open.

#include "desktop/DesktopShell.h"
#include "desktop/FileDialogs.h"
#include "desktop/THelpViewer.h"
#include "desktop/TTstatusForm.h"
#include "desktop/TchooseFolder.h"
#include "desktop/WindowPlacement.h"
#include "mapi/Interfaces.h"
#include "platform/DialogService.h"
#include "platform/Hive.h"
#include "services/HelpFile.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowControls.h"
#include "ui/Options.h"

#include <QButtonGroup>
#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TForm1;
}

namespace desktop {

struct DesktopServices {
    std::shared_ptr<mapi::IMapi> mapi;
    platform::Hive* hive = nullptr;
    platform::DialogService* dialogs = nullptr;
    FileDialogs* files = nullptr;
    // Opens a document, folder or address on the desktop; none: the desktop's own opener.
    std::function<void(const std::string& target)> shellOpen;
    std::string version;
    // Where the help pages and the tips file lie; empty: the program folder.
    std::filesystem::path programFolder;
    // The help contents on a first start, else the tip of the day, as the start-up ends.
    bool greetAtStart = true;
};

class TForm1 : public QMainWindow, public ui::MainWindowControls {
    Q_OBJECT
public:
    // Builds the window and runs the first half of the start-up; the second half follows from
    // the event loop. After "/UNINSTALL" first, created() is false and the program ends.
    TForm1(DesktopServices services, std::vector<std::string> arguments, QWidget* parent = nullptr);
    ~TForm1() override;

    bool created() const { return m_created; }
    bool startupDone() const { return m_startupDone; }
    ui::MainWindow& window() { return *m_window; }
    TchooseFolder* chooser() const { return m_chooser; }
    // The status window of the run in progress or of the last run, while it is open.
    TTstatusForm* statusWindow() const { return m_status ? m_status->form() : nullptr; }

    // A request of the request channel.
    void requestReceived(const std::string& command);

    // MainWindowControls.
    int profile() const override;
    void setProfile(int item) override;
    std::string profileName() const override;
    void setProfileName(const std::string& text) override;
    std::string password() const override;
    void setLoginNameEnabled(bool enabled) override;
    int emailsFrom() const override;
    void setEmailsFrom(int item) override;
    std::string messageSource() const override;
    void setMessageSource(const std::string& text) override;
    void setSourceFolderEnabled(bool enabled) override;
    int sortOrder() const override;
    void setSortOrder(int item) override;
    bool descending() const override;
    void setDescending(bool checked) override;
    int emailsTo() const override;
    void setEmailsTo(int item) override;
    std::string messageDestination() const override;
    void setMessageDestination(const std::string& text) override;
    void setDestinationFolderEnabled(bool enabled) override;
    std::string tagText() const override;
    void setTagText(const std::string& text) override;
    void setTagTextEnabled(bool enabled) override;
    bool readStatus() const override;
    void setReadStatus(bool checked) override;
    std::string directory() const override;
    void setDirectory(const std::string& text) override;
    std::string fileNameFormat() const override;
    void setFileNameFormat(const std::string& text) override;
    std::int32_t firstNumber() const override;
    void setFirstNumber(std::int32_t value) override;
    void setSampleName(const std::string& text, bool isError) override;
    int pageIndex() const override;
    void setPageIndex(int index) override;
    void setNavigationEnabled(bool back, bool next) override;
    void setCaption(const std::string& text) override;
    void showRecentFiles(const std::vector<std::string>& paths) override;

signals:
    // The second half of the start-up has run.
    void startupFinished();
    // The window closed for good: the program ends.
    void closedForGood();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // The help viewer once help was asked for.
    THelpViewer* openedHelpViewer() const { return m_helpViewer.get(); }

protected:
    bool event(QEvent* event) override;

private:
    ui::MainWindowServices windowServices();
    void connectControls();
    void connectMenus();
    void afterCreate();
    void translateTexts();
    template <class Action> void act(Action&& action);
    // A slot that runs one handler of the window's logic through act().
    std::function<void()> handlerFor(void (ui::MainWindow::*member)());
    void chooseFolder(bool source);
    void Changelanguage1Click();
    void startupGreeting(bool firstStart);
    void showUpdateWindow();
    void showTipOfTheDay(bool forced);
    void showHelpTopic(int context);
    THelpViewer& helpViewer();
    std::filesystem::path programFolder() const;
    void chooseDirectory();
    void browseTextFilesFolder();
    void postEditRequest(const char* slot);
    void shellOpen(const std::string& target);
    std::weak_ptr<engine::StatusSink> createStatusWindow();

    std::unique_ptr<Ui::TForm1> m_ui;
    DesktopServices m_services;
    QButtonGroup m_profileGroup;
    QButtonGroup m_emailsFromGroup;
    QButtonGroup m_emailsToGroup;
    std::unique_ptr<ui::MainWindow> m_window;
    std::unique_ptr<ui::Options> m_options;
    std::unique_ptr<WindowPlacement> m_placement;
    services::HelpFile m_help;
    std::unique_ptr<THelpViewer> m_helpViewer;
    QtDesktopOpener m_opener;
    QtClipboard m_clipboard;
    QPointer<TchooseFolder> m_chooser;
    std::unique_ptr<WindowPlacement> m_chooserPlacement;
    QPointer<class TupdateForm> m_update; // at most one update window
    std::shared_ptr<StatusWindowSink> m_status;
    bool m_created = false;
    bool m_startupDone = false;
    bool m_closeAfterRun = false; // the close box was used during a run
};

} // namespace desktop
