#include "ui/MainWindow.h"

#include "engine/SampleFileName.h"
#include "engine/TEmailThread.h"
#include "i18n/TStringLoader.h"
#include "i18n/TextLookup.h"
#include "platform/ProgramFolder.h"
#include "settings/OptionFile.h"
#include "settings/RegistryPersistence.h"
#include "settings/SettingsValidation.h"
#include "ui/ScopedFlag.h"
#include "ui/WindowStorage.h"

#include <utility>

namespace ui {

namespace {

constexpr const char* kProductName = "Larkspire";

// The run's own copy of what it reads; the folder objects move over with their identities.
engine::RunJob runJobFrom(settings::TSettings& settings) {
    engine::RunJob job;
    job.saveFolder = settings.saveFolder;
    job.firstNumber = settings.firstNumber;
    job.numberFormat = settings.numberFormat;
    job.moveMessages = settings.moveMessages;
    job.msgDestination = settings.msgDestination;
    job.getFromDefaultFolder = settings.getFromDefaultFolder;
    job.fromFolderName = settings.fromFolderName;
    job.sortOrder = settings.sortOrder;
    job.sortDescending = settings.sortDescending;
    job.readStatus = settings.readStatus;
    job.tagText = settings.tagText;
    job.sourceFolder = std::move(settings.sourceFolder);
    job.destinationFolder = std::move(settings.destinationFolder);
    return job;
}

std::string fileNamePart(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

MainWindow::MainWindow(MainWindowControls& controls, MainWindowServices services)
    : m_controls(controls), m_services(std::move(services)) {}

MainWindow::~MainWindow() = default;

bool MainWindow::FormCreate(std::vector<std::string> arguments) {
    m_arguments = std::move(arguments);
    m_language = "English";
    if (!m_arguments.empty() && platform::upperCaseUtf8(m_arguments.front()) == "/UNINSTALL") {
        // Nothing else is set up, so a failure to open the page ends the program as well.
        try {
            openUninstallPage();
        } catch (const std::exception& error) {
            showApplicationError(error);
        }
        requestEnd();
        return false;
    }

    platform::DialogService* boxes = m_services.dialogs;
    m_session = std::make_unique<mailstore::TMapiSession>(m_services.mapi, [boxes](const std::string& text) {
        boxes->MessageDialog(text, platform::DialogKind::Warning, platform::DialogButton::OK, 0);
    });
    m_session->SetLogonParameters(m_controls.profile(), m_controls.profileName(), m_controls.password());
    m_sourceFolder = mailstore::TMapiUserFolder::makeEmpty(m_session.get());
    m_destinationFolder = mailstore::TMapiUserFolder::makeEmpty(m_session.get());

    loadWindowValues();
    m_settings = std::make_unique<settings::TSettings>(m_session.get());
    settings::loadSettingsFromRegistry(*m_settings, *m_services.hive);
    installLanguage();
    m_controls.setPageIndex(0);
    PageControlChange();
    m_started = true;
    return true;
}

void MainWindow::afterCreate() {
    m_controls.setPageIndex(0);
    PageControlChange();
    try {
        settingsToControls();
        saveWindowValues();
        processCommandLine();
        if (m_services.startupExtras)
            m_services.startupExtras(m_firstStart);
    } catch (...) {
        showApplicationError(std::current_exception());
    }
}

void MainWindow::loadWindowValues() {
    settings::MainWindowValues values;
    // Without the product key the window keeps its initial values.
    if (settings::loadMainWindowValues(values, *m_services.hive)) {
        m_recent.assign(values.recentFiles);
        m_language = values.language;
        m_showTips = values.showTips;
        m_currentTip = values.currentTip;
    }
    m_firstStart = readFirstStart(*m_services.hive);
    m_schedule = services::UpdateSchedule::read(settings::openProductKey(*m_services.hive, false),
                                                services::todaySerial());
}

void MainWindow::saveWindowValues() {
    settings::MainWindowValues values;
    values.recentFiles = m_recent.paths();
    values.language = m_language;
    values.showTips = m_showTips;
    values.currentTip = m_currentTip;
    settings::saveMainWindowValues(values, *m_services.hive);
    writeStartValues(*m_services.hive);
    if (auto key = settings::openProductKey(*m_services.hive, true))
        m_schedule.write(*key);
}

void MainWindow::installLanguage() {
    const std::string path = platform::programFolder() + "Languages/" + m_language + ".ini";
    i18n::SetLoader(std::make_unique<i18n::TStringLoader>(path));
    if (m_services.translateWindow)
        m_services.translateWindow();
}

bool MainWindow::FormCloseQuery() {
    if (m_running)
        return false; // the run still uses the session and the window
    if (m_endRequested || !m_modified)
        return true;
    const auto answer = dialogs().MessageDialog(
        i18n::LoadText(8430, "Save current settings?"), platform::DialogKind::Confirmation,
        platform::DialogButton::Yes | platform::DialogButton::No | platform::DialogButton::Cancel, 0);
    if (answer == platform::DialogButton::Cancel)
        return false;
    if (answer == platform::DialogButton::Yes)
        Save1Click();
    return true;
}

void MainWindow::FormClose() {
    if (m_endRequested)
        return;
    controlsToSettings(*m_settings);
    settings::saveSettingsToRegistry(*m_settings, *m_services.hive);
}

void MainWindow::FormDestroy() {
    // After the early end for "/UNINSTALL" nothing was read, so nothing may overwrite the stored values.
    if (m_started)
        saveWindowValues();
}

void MainWindow::settingsToControls() {
    const settings::TSettings& s = *m_settings;
    m_controls.setDirectory(s.saveFolder);
    m_controls.setFirstNumber(s.firstNumber);
    m_controls.setFileNameFormat(s.numberFormat);
    refreshSampleName();
    m_controls.setEmailsFrom(s.getFromDefaultFolder ? DefaultInboxItem : FolderItem);
    m_controls.setMessageSource(s.fromFolderName);
    m_controls.setEmailsTo(s.moveMessages);
    m_controls.setMessageDestination(s.msgDestination);
    m_controls.setSortOrder(s.sortOrder);
    m_controls.setDescending(s.sortDescending);
    m_controls.setReadStatus(s.readStatus);
    m_controls.setTagText(s.tagText);
    mailstore::copyFolderIdentity(*m_sourceFolder, *s.sourceFolder);
    mailstore::copyFolderIdentity(*m_destinationFolder, *s.destinationFolder);
    m_controls.setProfile(s.Profile);
    m_controls.setProfileName(s.profileName);
    ProfileClick();
    applyEnabling();
    setModified(false);
}

void MainWindow::controlsToSettings(settings::TSettings& target) const {
    target.saveFolder = m_controls.directory();
    target.firstNumber = m_controls.firstNumber();
    target.numberFormat = m_controls.fileNameFormat();
    target.getFromDefaultFolder = m_controls.emailsFrom() == DefaultInboxItem;
    target.fromFolderName = m_controls.messageSource();
    target.moveMessages = m_controls.emailsTo();
    target.msgDestination = m_controls.messageDestination();
    target.sortOrder = m_controls.sortOrder();
    target.sortDescending = m_controls.descending();
    target.readStatus = m_controls.readStatus();
    target.tagText = m_controls.tagText();
    mailstore::copyFolderIdentity(*target.sourceFolder, *m_sourceFolder);
    mailstore::copyFolderIdentity(*target.destinationFolder, *m_destinationFolder);
    target.Profile = m_controls.profile();
    target.profileName = m_controls.profileName();
}

void MainWindow::setModified(bool value) {
    if (value == m_modified)
        return;
    m_modified = value;
    setTitle();
}

std::string MainWindow::title() const {
    std::string text = m_settings && !m_settings->optionFileName.empty()
                           ? fileNamePart(m_settings->optionFileName)
                           : std::string("Untitled");
    if (m_modified)
        text += " (modified)";
    return text + " - " + kProductName;
}

void MainWindow::setTitle() {
    m_controls.setCaption(title());
}

void MainWindow::applyLogonParameters() {
    // A change of login logs the session off, which would pull the stores from under a run.
    if (m_running) {
        m_logonPending = true;
        return;
    }
    m_logonPending = false;
    m_session->SetLogonParameters(m_controls.profile(), m_controls.profileName(), m_controls.password());
}

void MainWindow::ProfileClick() {
    applyLogonParameters();
    m_controls.setLoginNameEnabled(m_controls.profile() == settings::NamedProfile);
    setModified(true);
}

void MainWindow::profileNameChange() {
    applyLogonParameters();
    setModified(true);
}

void MainWindow::applyEnabling() {
    m_controls.setSourceFolderEnabled(m_controls.emailsFrom() == FolderItem);
    m_controls.setDestinationFolderEnabled(m_controls.emailsTo() == MoveItem);
    m_controls.setTagTextEnabled(m_controls.emailsTo() == TagItem);
    m_controls.setLoginNameEnabled(m_controls.profile() == settings::NamedProfile);
}

void MainWindow::emailsFrom1Click() {
    setModified(true);
    m_controls.setSourceFolderEnabled(m_controls.emailsFrom() == FolderItem);
}

void MainWindow::emailsToClick() {
    setModified(true);
    m_controls.setDestinationFolderEnabled(m_controls.emailsTo() == MoveItem);
    m_controls.setTagTextEnabled(m_controls.emailsTo() == TagItem);
}

void MainWindow::changeOccured() {
    setModified(true);
}

void MainWindow::FileNameFormatChange() {
    setModified(true);
    refreshSampleName();
}

void MainWindow::refreshSampleName() {
    try {
        const std::string name =
            engine::sampleFileName(m_controls.fileNameFormat(), m_controls.firstNumber());
        m_controls.setSampleName(i18n::LoadTextFmt(8461, "Sample filename: %s", {name}), false);
    } catch (const std::exception& error) {
        m_controls.setSampleName(
            i18n::LoadTextFmt(8460, "Error - see help or fix format: %s", {error.what()}), true);
    }
}

void MainWindow::prevButtonClick() {
    if (m_controls.pageIndex() > 0)
        m_controls.setPageIndex(m_controls.pageIndex() - 1);
    PageControlChange();
}

void MainWindow::nextButtonClick() {
    if (m_controls.pageIndex() < kPageCount - 1)
        m_controls.setPageIndex(m_controls.pageIndex() + 1);
    PageControlChange();
}

void MainWindow::PageControlChange() {
    const int page = m_controls.pageIndex();
    m_controls.setNavigationEnabled(page > 0, page < kPageCount - 1);
}

void MainWindow::testLoginClick() {
    if (m_running)
        return; // a fresh logon would replace the session the run works in
    m_session->Logon();
    dialogs().MessageDialog(i18n::LoadText(4441, "Login succeeded"), platform::DialogKind::Information,
                            platform::DialogButton::OK, 0);
}

void MainWindow::folderChosen(bool source, const std::string& path,
                              const mailstore::TMapiUserFolder& folder) {
    if (source) {
        m_controls.setMessageSource(path);
        mailstore::copyFolderIdentity(*m_sourceFolder, folder);
    } else {
        m_controls.setMessageDestination(path);
        mailstore::copyFolderIdentity(*m_destinationFolder, folder);
    }
    setModified(true);
}

void MainWindow::finishButtonClick() {
    if (m_running)
        return; // one run at a time: a nested run on the same folders is not defined
    auto copy = std::make_unique<settings::TSettings>(m_session.get());
    controlsToSettings(*copy);
    if (!settings::validateSettings(*copy, dialogs()))
        return;
    engine::RunJob job = runJobFrom(*copy);
    copy.reset();
    const std::weak_ptr<engine::StatusSink> status = m_services.createStatusWindow();
    m_runJobGeneration = m_jobGeneration;
    {
        ScopedFlag running(m_running);
        engine::TEmailThread run(std::move(job), status, *this);
    }
    if (m_logonPending)
        applyLogonParameters();
}

void MainWindow::setFirstNumber(std::int32_t number) {
    // An option file opened during the run replaced the job: its numbering is not the run's.
    if (m_runJobGeneration != m_jobGeneration)
        return;
    m_controls.setFirstNumber(number);
    FileNameFormatChange();
}

void MainWindow::openFile(const std::string& path) {
    settings::loadOptionFile(*m_settings, path);
    ++m_jobGeneration;
    setTitle();
    settingsToControls();
    m_recent.add(path);
    m_controls.showRecentFiles(m_recent.paths());
}

void MainWindow::SaveFile(const std::string& path) {
    controlsToSettings(*m_settings);
    settings::saveOptionFile(*m_settings, path);
    m_recent.add(path);
    m_controls.showRecentFiles(m_recent.paths());
    setTitle();
    setModified(false);
}

void MainWindow::saveUpdatedCount() {
    if (m_runJobGeneration != m_jobGeneration)
        return;
    if (m_updateCount && !m_settings->optionFileName.empty())
        SaveFile(m_settings->optionFileName);
}

void MainWindow::Open1Click() {
    if (!m_services.chooseFileToOpen)
        return;
    if (const auto path = m_services.chooseFileToOpen())
        openFile(*path);
}

void MainWindow::Save1Click() {
    if (!m_settings->optionFileName.empty())
        SaveFile(m_settings->optionFileName);
    else
        Saveas1Click();
}

void MainWindow::Saveas1Click() {
    if (!m_services.chooseFileToSave)
        return;
    if (const auto path = m_services.chooseFileToSave())
        SaveFile(*path);
}

void MainWindow::recentFilesClick(const std::string& path) {
    if (m_modified) {
        const auto answer = dialogs().MessageDialog(
            i18n::LoadText(8430, "Save current settings?"), platform::DialogKind::Confirmation,
            platform::DialogButton::Yes | platform::DialogButton::No | platform::DialogButton::Cancel, 0);
        if (answer == platform::DialogButton::Cancel)
            return;
        if (answer == platform::DialogButton::Yes)
            Save1Click();
    }
    openFile(path);
}

void MainWindow::showApplicationError(const std::exception& error) {
    dialogs().ErrorBox(title(), error.what());
}

void MainWindow::showApplicationError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        showApplicationError(caught);
    } catch (...) {
        dialogs().ErrorBox(title(), "Unknown error");
    }
}

} // namespace ui
