#include "desktop/TForm1.h"

#include "desktop/QtText.h"
#include "desktop/TAboutBox.h"
#include "desktop/TTLangForm.h"
#include "desktop/TfTipOfTheDay.h"
#include "desktop/TupdateForm.h"
#include "desktop/WindowTranslation.h"
#include "i18n/LanguageChoice.h"
#include "platform/ProgramFolder.h"
#include "services/ProductLinks.h"
#include "services/TipOfTheDay.h"
#include "settings/RegistryPersistence.h"
#include "ui_TForm1.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QUrl>

#include <iostream>

namespace desktop {

namespace {

void setChecked(QButtonGroup& group, int item) {
    if (QAbstractButton* button = group.button(item))
        button->setChecked(true);
}

void setLineText(QLineEdit& edit, const std::string& text) {
    const QSignalBlocker quiet(edit);
    edit.setText(toQt(text));
}

// "&1 path" ... "1&0 path": numbered from 1 as accelerators; an "&" of the path stays a character.
QString recentEntryText(std::size_t index, const std::string& path) {
    const std::string number = std::to_string(index + 1);
    const QString accelerated = toQt(number.substr(0, number.size() - 1) + "&" + number.back());
    return accelerated + QLatin1Char(' ') + toQt(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

constexpr const char* kHelpContext = "helpContext";

// Asks for the help topic of the window (or the open menu) that F1 was pressed in, when it has one.
class HelpKeyFilter : public QObject {
public:
    HelpKeyFilter(std::function<void(int context)> showTopic, QObject* parent)
        : QObject(parent), m_showTopic(std::move(showTopic)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        const auto* widget = qobject_cast<QWidget*>(watched);
        const int context = widget ? widget->window()->property(kHelpContext).toInt() : 0;
        if (context)
            m_showTopic(context);
        return context != 0;
    }

private:
    std::function<void(int)> m_showTopic;
};

} // namespace

TForm1::TForm1(DesktopServices services, std::vector<std::string> arguments, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TForm1>()), m_services(std::move(services)),
      m_help(programFolder() / "help") {
    m_ui->setupUi(this);
    m_profileGroup.addButton(m_ui->profileDefault, 0);
    m_profileGroup.addButton(m_ui->profilePrompt, 1);
    m_profileGroup.addButton(m_ui->profileUserName, 2);
    m_emailsFromGroup.addButton(m_ui->emailsFromInbox, ui::DefaultInboxItem);
    m_emailsFromGroup.addButton(m_ui->emailsFromFolder, ui::FolderItem);
    m_emailsToGroup.addButton(m_ui->emailsToLeave, ui::LeaveItem);
    m_emailsToGroup.addButton(m_ui->emailsToMove, ui::MoveItem);
    m_emailsToGroup.addButton(m_ui->emailsToTag, ui::TagItem);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_ui->FileNameFormat->setFont(fixed);
    m_ui->sampleName->setFont(fixed);
    m_ui->goPicture->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(64, 64));
    m_ui->openButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_ui->saveButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_ui->helpButton->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    // A control's hint shows in the status bar as well as over the control.
    for (QWidget* widget : findChildren<QWidget*>())
        if (!widget->toolTip().isEmpty() && widget->statusTip().isEmpty())
            widget->setStatusTip(widget->toolTip());
    m_ui->Recentfiles1->setEnabled(false);
    // F1 on an open menu or in another window asks for the help topic of its context number.
    m_ui->File1->setProperty(kHelpContext, 290);
    m_ui->Edit1->setProperty(kHelpContext, 1200);
    m_ui->Help1->setProperty(kHelpContext, 280);
    qApp->installEventFilter(new HelpKeyFilter([this](int context) { showHelpTopic(context); }, this));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_placement = std::make_unique<WindowPlacement>(*this, services::mainWindowPlacement(), m_services.hive);

    m_window = std::make_unique<ui::MainWindow>(*this, windowServices());
    m_options = std::make_unique<ui::Options>(*m_window, std::cout, m_services.version);
    m_window->setOptionHandler([this](const std::string& argument) { m_options->process(argument); });
    connectControls();
    connectMenus();

    m_created = m_window->FormCreate(std::move(arguments));
    if (!m_created)
        return;
    showRecentFiles(m_window->recentFiles().paths());
    m_chooser = new TchooseFolder(
        m_window->session(), [this](const std::exception& error) { m_window->showApplicationError(error); },
        platform::systemLocale(), this);
    m_chooserPlacement =
        std::make_unique<WindowPlacement>(*m_chooser, services::folderChooserPlacement(), m_services.hive);
    m_chooser->setProperty(kHelpContext, 210);
    reportLater(*m_chooser, m_chooser->translationError(),
                [this](const std::exception& e) { m_window->showApplicationError(e); });
    // The private start-up message: the second half runs once the event loop turns.
    QMetaObject::invokeMethod(this, &TForm1::afterCreate, Qt::QueuedConnection);
}

TForm1::~TForm1() {
    m_placement->save();
    if (m_chooserPlacement)
        m_chooserPlacement->save();
    // The chooser's folder objects belong to the session's stores: they go before the session.
    delete m_chooser;
    if (m_window)
        m_window->FormDestroy();
    if (m_helpViewer)
        services::closeHelp(m_help, *m_helpViewer);
}

std::filesystem::path TForm1::programFolder() const {
    return m_services.programFolder.empty() ? std::filesystem::path(platform::programFolder())
                                            : m_services.programFolder;
}

THelpViewer& TForm1::helpViewer() {
    if (!m_helpViewer)
        m_helpViewer = std::make_unique<THelpViewer>(m_help);
    return *m_helpViewer;
}

void TForm1::showHelpTopic(int context) {
    services::showHelpTopic(context, m_help, helpViewer(), *m_services.dialogs);
}

void TForm1::showUpdateWindow() {
    if (!m_update) {
        const auto key = settings::openProductKey(*m_services.hive, false);
        services::UpdateCheckServices check{
            .dialogs = m_services.dialogs,
            .shellOpen = [this](const std::string& target) { shellOpen(target); },
            .storeSchedule =
                [this](const services::UpdateSchedule& schedule) {
                    platform::HiveKey product = settings::openProductKey(*m_services.hive, true).value();
                    schedule.write(product);
                },
            .post = {},
            .proxy = services::readProxySettings(key),
            .networkUser = services::networkUserName(),
            .updateHost = services::updateHost()};
        m_update = new TupdateForm(
            m_window->updateSchedule(), std::move(check), m_services.hive,
            [this](const std::exception& e) { m_window->showApplicationError(e); }, this);
    }
    m_update->show();
    m_update->raise();
    m_update->activateWindow();
}

void TForm1::startupGreeting(bool firstStart) {
    if (m_window->updateSchedule().UpdateCheckDue(m_window->startedWithArguments(), services::todaySerial()))
        showUpdateWindow();
    switch (services::startupGreeting(firstStart, m_window->showTips())) {
    case services::StartupGreeting::HelpContents:
        services::showHelpContents(m_help, helpViewer(), *m_services.dialogs);
        break;
    case services::StartupGreeting::TipOfTheDay:
        showTipOfTheDay(false);
        break;
    case services::StartupGreeting::Nothing:
        break;
    }
}

void TForm1::showTipOfTheDay(bool forced) {
    TfTipOfTheDay dialog(
        programFolder() / "TIPS.TXT", *m_services.dialogs,
        [this](const std::exception& e) { m_window->showApplicationError(e); }, this);
    std::int32_t currentTip = m_window->currentTip();
    bool showTips = m_window->showTips();
    services::ShowTipOfTheDay(dialog, currentTip, showTips, forced, *m_services.dialogs);
    m_window->setTipValues(showTips, currentTip);
}

ui::MainWindowServices TForm1::windowServices() {
    ui::MainWindowServices services;
    services.mapi = m_services.mapi;
    services.hive = m_services.hive;
    services.dialogs = m_services.dialogs;
    services.createStatusWindow = [this] { return createStatusWindow(); };
    services.translateWindow = [this] { translateTexts(); };
    if (m_services.greetAtStart)
        services.startupExtras = [this](bool firstStart) { startupGreeting(firstStart); };
    services.shellOpen = [this](const std::string& target) { shellOpen(target); };
    services.chooseFileToOpen = [this]() -> std::optional<std::string> {
        if (const auto path = m_services.files->openOptionFile(this, toQt(platform::programFolder())))
            return fromQt(*path);
        return std::nullopt;
    };
    services.chooseFileToSave = [this]() -> std::optional<std::string> {
        if (const auto path = m_services.files->saveOptionFile(this, toQt(platform::programFolder())))
            return fromQt(*path);
        return std::nullopt;
    };
    return services;
}

template <class Action> void TForm1::act(Action&& action) {
    try {
        action();
    } catch (...) {
        m_window->showApplicationError(std::current_exception());
    }
    // A close asked for during a run takes effect once the run has returned.
    if (m_closeAfterRun && !m_window->running()) {
        m_closeAfterRun = false;
        close();
    }
}

void TForm1::translateTexts() {
    std::exception_ptr error = translateWindow(*this, "TForm1");
    if (!error)
        error = translateComboItems(*m_ui->sortOrder, "TForm1");
    reportLater(*this, error, [this](const std::exception& e) { m_window->showApplicationError(e); });
}

void TForm1::afterCreate() {
    act([this] { m_window->afterCreate(); });
    m_startupDone = true;
    emit startupFinished();
    if (m_window->endRequested())
        close();
}

std::function<void()> TForm1::handlerFor(void (ui::MainWindow::*member)()) {
    return [this, member] { act([this, member] { (m_window.get()->*member)(); }); };
}

void TForm1::connectControls() {
    connect(&m_profileGroup, &QButtonGroup::idClicked, this, handlerFor(&ui::MainWindow::ProfileClick));
    connect(m_ui->profileName, &QLineEdit::textChanged, this, handlerFor(&ui::MainWindow::profileNameChange));
    connect(m_ui->password, &QLineEdit::textChanged, this, handlerFor(&ui::MainWindow::profileNameChange));
    connect(m_ui->testLogin, &QPushButton::clicked, this, handlerFor(&ui::MainWindow::testLoginClick));
    connect(&m_emailsFromGroup, &QButtonGroup::idClicked, this,
            handlerFor(&ui::MainWindow::emailsFrom1Click));
    connect(&m_emailsToGroup, &QButtonGroup::idClicked, this, handlerFor(&ui::MainWindow::emailsToClick));
    connect(m_ui->tagText, &QLineEdit::textChanged, this, handlerFor(&ui::MainWindow::changeOccured));
    connect(m_ui->descending, &QCheckBox::toggled, this, handlerFor(&ui::MainWindow::changeOccured));
    connect(m_ui->sortOrder, &QComboBox::currentIndexChanged, this,
            handlerFor(&ui::MainWindow::changeOccured));
    connect(m_ui->readStatus, &QCheckBox::toggled, this, handlerFor(&ui::MainWindow::changeOccured));
    connect(m_ui->Directory, &QLineEdit::textChanged, this, handlerFor(&ui::MainWindow::changeOccured));
    connect(m_ui->FileNameFormat, &QComboBox::editTextChanged, this,
            handlerFor(&ui::MainWindow::FileNameFormatChange));
    connect(m_ui->firstNumber, &QSpinBox::valueChanged, this,
            handlerFor(&ui::MainWindow::FileNameFormatChange));
    connect(m_ui->prevButton, &QPushButton::clicked, this, handlerFor(&ui::MainWindow::prevButtonClick));
    connect(m_ui->nextButton, &QPushButton::clicked, this, handlerFor(&ui::MainWindow::nextButtonClick));
    connect(m_ui->PageControl, &QTabWidget::currentChanged, this,
            handlerFor(&ui::MainWindow::PageControlChange));
    connect(m_ui->finishButton, &QPushButton::clicked, this, handlerFor(&ui::MainWindow::finishButtonClick));
    connect(m_ui->exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_ui->browseFromFolder, &QToolButton::clicked, this, [this] { chooseFolder(true); });
    connect(m_ui->browseToFolder, &QToolButton::clicked, this, [this] { chooseFolder(false); });
    connect(m_ui->DirectoryButton, &QToolButton::clicked, this, [this] { chooseDirectory(); });
    m_ui->messageSource->installEventFilter(this);
    m_ui->messageDestination->installEventFilter(this);
    m_ui->Directory->installEventFilter(this);
}

void TForm1::connectMenus() {
    connect(m_ui->Open1, &QAction::triggered, this, handlerFor(&ui::MainWindow::Open1Click));
    connect(m_ui->openButton, &QAction::triggered, this, handlerFor(&ui::MainWindow::Open1Click));
    connect(m_ui->Save1, &QAction::triggered, this, handlerFor(&ui::MainWindow::Save1Click));
    connect(m_ui->saveButton, &QAction::triggered, this, handlerFor(&ui::MainWindow::Save1Click));
    connect(m_ui->Saveas1, &QAction::triggered, this, handlerFor(&ui::MainWindow::Saveas1Click));
    connect(m_ui->Exit1, &QAction::triggered, this, &QWidget::close);
    connect(m_ui->Cut1, &QAction::triggered, this, [this] { postEditRequest("cut"); });
    connect(m_ui->Copy1, &QAction::triggered, this, [this] { postEditRequest("copy"); });
    connect(m_ui->Paste1, &QAction::triggered, this, [this] { postEditRequest("paste"); });
    connect(m_ui->BrowseTextFilesfolder1, &QAction::triggered, this, [this] { browseTextFilesFolder(); });
    // The web pages carry the name of the entry chosen; the mailing list takes none.
    const auto linkEntry = [this](QAction* entry, std::string address, const char* source) {
        connect(entry, &QAction::triggered, this, [this, address, source] {
            act([&] { shellOpen(source ? services::addLinkParameters(address, source) : address); });
        });
    };
    linkEntry(m_ui->LarkspireHomePage1, services::productPage(), "LarkspireHomePage1");
    linkEntry(m_ui->QuenbySoftwareHomePage1, services::companyAddress(), "QuenbySoftwareHomePage1");
    linkEntry(m_ui->Technicalsupport1, services::supportPage(), "Technicalsupport1");
    linkEntry(m_ui->SubscribetoLarkspireupdatelist1, services::subscribePage(), nullptr);
    const auto contents = [this] { services::showHelpContents(m_help, helpViewer(), *m_services.dialogs); };
    connect(m_ui->Contents1, &QAction::triggered, this, contents);
    connect(m_ui->helpButton, &QAction::triggered, this, contents);
    connect(m_ui->Index1, &QAction::triggered, this,
            [this] { services::showHelpIndex(m_help, helpViewer(), *m_services.dialogs); });
    connect(m_ui->ShowTipoftheDay1, &QAction::triggered, this,
            [this] { act([this] { showTipOfTheDay(true); }); });
    connect(m_ui->About1, &QAction::triggered, this, [this] {
        TAboutBox about(toQt(m_services.version), this);
        about.exec();
    });
    connect(m_ui->Changelanguage1, &QAction::triggered, this,
            [this] { act([this] { Changelanguage1Click(); }); });
    connect(m_ui->CheckwebforLarkspireupdates1, &QAction::triggered, this,
            [this] { act([this] { showUpdateWindow(); }); });
}

void TForm1::Changelanguage1Click() {
    TTLangForm chooser(
        m_services.hive, [this](const std::exception& e) { m_window->showApplicationError(e); }, this);
    chooser.SelectLanguage(m_window->language());
    if (chooser.exec() != QDialog::Accepted)
        return;
    const i18n::LanguageChoice choice =
        i18n::chooseLanguage(m_window->language(), chooser.SelectedLanguage(), services::kProductName);
    if (choice.notice)
        m_services.dialogs->ShowInfo(*choice.notice);
    m_window->setLanguage(choice.language);
}

void TForm1::shellOpen(const std::string& target) {
    if (m_services.shellOpen) {
        m_services.shellOpen(target);
        return;
    }
    services::shellOpen(m_opener, m_clipboard, target);
}

std::weak_ptr<engine::StatusSink> TForm1::createStatusWindow() {
    auto* form = new TTstatusForm(this);
    reportLater(*form, form->translationError(),
                [this](const std::exception& e) { m_window->showApplicationError(e); });
    auto sink = std::make_shared<StatusWindowSink>(form);
    form->setProperty(kHelpContext, 1130);
    auto placement =
        std::make_shared<WindowPlacement>(*form, services::statusWindowPlacement(), m_services.hive);
    connect(form, &TTstatusForm::closed, form, [placement] { placement->save(); });
    // Released when it closes: the run, holding only a weak pointer, sees it gone.
    connect(form, &TTstatusForm::closed, this, [this, form] {
        if (m_status && m_status->form() == form)
            m_status.reset();
    });
    m_status = sink;
    form->show();
    return sink;
}

void TForm1::requestReceived(const std::string& command) {
    act([this, &command] { m_window->AppDDEExecuteMacro(command); });
}

void TForm1::chooseFolder(bool source) {
    act([this, source] {
        if (m_chooser->exec() == QDialog::Accepted)
            m_window->folderChosen(source, m_chooser->path(), m_chooser->selectedFolder());
    });
}

void TForm1::chooseDirectory() {
    if (const auto folder = m_services.files->chooseFolder(this, m_ui->Directory->text()))
        m_ui->Directory->setText(*folder);
}

void TForm1::browseTextFilesFolder() {
    act([this] { shellOpen(directory()); });
}

void TForm1::postEditRequest(const char* slot) {
    QWidget* focus = QApplication::focusWidget();
    auto* edit = qobject_cast<QLineEdit*>(focus);
    if (!edit && focus)
        edit = focus->findChild<QLineEdit*>();
    if (edit)
        QMetaObject::invokeMethod(edit, slot, Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (m_window->running()) {
        // The run still uses the session and this window: it is ended as a cancel, and the
        // window closes once it has returned.
        event->ignore();
        m_closeAfterRun = true;
        if (TTstatusForm* form = statusWindow())
            form->close();
        return;
    }
    try {
        if (!m_window->FormCloseQuery()) {
            event->ignore();
            return;
        }
        m_window->FormClose();
    } catch (...) {
        m_window->showApplicationError(std::current_exception());
        event->ignore();
        return;
    }
    event->accept();
    if (m_chooser)
        m_chooser->close();
    emit closedForGood();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const bool click = event->type() == QEvent::MouseButtonRelease;
    if (click && watched == m_ui->messageSource && m_ui->messageSource->isEnabled())
        chooseFolder(true);
    else if (click && watched == m_ui->messageDestination && m_ui->messageDestination->isEnabled())
        chooseFolder(false);
    else if (event->type() == QEvent::MouseButtonDblClick && watched == m_ui->Directory)
        browseTextFilesFolder();
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::event(QEvent* event) {
    // An empty hint leaves the status bar as it is.
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(event)->tip().isEmpty())
        return true;
    return QMainWindow::event(event);
}

int TForm1::profile() const {
    return m_profileGroup.checkedId();
}
void TForm1::setProfile(int item) {
    setChecked(m_profileGroup, item);
}
std::string TForm1::profileName() const {
    return fromQt(m_ui->profileName->text());
}
void TForm1::setProfileName(const std::string& text) {
    setLineText(*m_ui->profileName, text);
}
std::string TForm1::password() const {
    return fromQt(m_ui->password->text());
}
void TForm1::setLoginNameEnabled(bool enabled) {
    m_ui->profileName->setEnabled(enabled);
    m_ui->password->setEnabled(enabled);
}
int TForm1::emailsFrom() const {
    return m_emailsFromGroup.checkedId();
}
void TForm1::setEmailsFrom(int item) {
    setChecked(m_emailsFromGroup, item);
}
std::string TForm1::messageSource() const {
    return fromQt(m_ui->messageSource->text());
}
void TForm1::setMessageSource(const std::string& text) {
    setLineText(*m_ui->messageSource, text);
}
void TForm1::setSourceFolderEnabled(bool enabled) {
    m_ui->messageSource->setEnabled(enabled);
    m_ui->browseFromFolder->setEnabled(enabled);
}
int TForm1::sortOrder() const {
    return m_ui->sortOrder->currentIndex();
}
void TForm1::setSortOrder(int item) {
    const QSignalBlocker quiet(m_ui->sortOrder);
    m_ui->sortOrder->setCurrentIndex(item);
}
bool TForm1::descending() const {
    return m_ui->descending->isChecked();
}
void TForm1::setDescending(bool checked) {
    const QSignalBlocker quiet(m_ui->descending);
    m_ui->descending->setChecked(checked);
}
int TForm1::emailsTo() const {
    return m_emailsToGroup.checkedId();
}
void TForm1::setEmailsTo(int item) {
    setChecked(m_emailsToGroup, item);
}
std::string TForm1::messageDestination() const {
    return fromQt(m_ui->messageDestination->text());
}
void TForm1::setMessageDestination(const std::string& text) {
    setLineText(*m_ui->messageDestination, text);
}
void TForm1::setDestinationFolderEnabled(bool enabled) {
    m_ui->messageDestination->setEnabled(enabled);
    m_ui->browseToFolder->setEnabled(enabled);
}
std::string TForm1::tagText() const {
    return fromQt(m_ui->tagText->text());
}
void TForm1::setTagText(const std::string& text) {
    setLineText(*m_ui->tagText, text);
}
void TForm1::setTagTextEnabled(bool enabled) {
    m_ui->tagText->setEnabled(enabled);
}
bool TForm1::readStatus() const {
    return m_ui->readStatus->isChecked();
}
void TForm1::setReadStatus(bool checked) {
    const QSignalBlocker quiet(m_ui->readStatus);
    m_ui->readStatus->setChecked(checked);
}
std::string TForm1::directory() const {
    return fromQt(m_ui->Directory->text());
}
void TForm1::setDirectory(const std::string& text) {
    setLineText(*m_ui->Directory, text);
}
std::string TForm1::fileNameFormat() const {
    return fromQt(m_ui->FileNameFormat->currentText());
}
void TForm1::setFileNameFormat(const std::string& text) {
    const QSignalBlocker quiet(m_ui->FileNameFormat);
    m_ui->FileNameFormat->setEditText(toQt(text));
}
std::int32_t TForm1::firstNumber() const {
    return m_ui->firstNumber->value();
}
void TForm1::setFirstNumber(std::int32_t value) {
    const QSignalBlocker quiet(m_ui->firstNumber);
    m_ui->firstNumber->setValue(value);
}
void TForm1::setSampleName(const std::string& text, bool isError) {
    m_ui->sampleName->setText(toQt(text));
    QPalette palette = m_ui->sampleName->palette();
    palette.setColor(QPalette::WindowText,
                     isError ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    m_ui->sampleName->setPalette(palette);
}
int TForm1::pageIndex() const {
    return m_ui->PageControl->currentIndex();
}
void TForm1::setPageIndex(int index) {
    const QSignalBlocker quiet(m_ui->PageControl);
    m_ui->PageControl->setCurrentIndex(index);
}
void TForm1::setNavigationEnabled(bool back, bool next) {
    m_ui->prevButton->setEnabled(back);
    m_ui->nextButton->setEnabled(next);
}
void TForm1::setCaption(const std::string& text) {
    setWindowTitle(toQt(text));
}
void TForm1::showRecentFiles(const std::vector<std::string>& paths) {
    QMenu& menu = *m_ui->Recentfiles1;
    // The entry chosen may be the one whose handler is running: entries go later, not now.
    for (QAction* entry : menu.actions()) {
        menu.removeAction(entry);
        entry->deleteLater();
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string path = paths[i];
        connect(menu.addAction(recentEntryText(i, path)), &QAction::triggered, this,
                [this, path] { act([this, &path] { m_window->recentFilesClick(path); }); });
    }
    menu.setEnabled(!paths.empty());
}

} // namespace desktop
