// The main window's pages, menus, enabling rules, title and sample name, driven by widget name.

#include "DesktopFixture.h"
#include "DesktopTests.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace desktoptest {
namespace {

QRadioButton* item(QWidget* group, int index) {
    return group->findChildren<QRadioButton*>().at(index);
}

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyComponentIsNamed() {
        DesktopFixture f;
        auto& form = f.start();
        for (const char* name : {"PageControl",    "Profile",      "profileName",   "password",
                                 "testLogin",      "emailsFrom",   "messageSource", "browseFromFolder",
                                 "sortOrder",      "descending",   "emailsTo",      "messageDestination",
                                 "browseToFolder", "tagText",      "readStatus",    "Directory",
                                 "FileNameFormat", "firstNumber",  "sampleName",    "prevButton",
                                 "nextButton",     "finishButton", "StatusBar1",    "ToolBar1"})
            QVERIFY2(f.find<QWidget>(name), name);
        for (const char* name : {"File1", "Edit1", "Options1", "Help1", "Recentfiles1"})
            QVERIFY2(f.find<QMenu>(name), name);
        for (const char* name : {"Open1",
                                 "Save1",
                                 "Saveas1",
                                 "Exit1",
                                 "Cut1",
                                 "Copy1",
                                 "Paste1",
                                 "Changelanguage1",
                                 "BrowseTextFilesfolder1",
                                 "Contents1",
                                 "Index1",
                                 "ShowTipoftheDay1",
                                 "LarkspireHomePage1",
                                 "QuenbySoftwareHomePage1",
                                 "CheckwebforLarkspireupdates1",
                                 "SubscribetoLarkspireupdatelist1",
                                 "Technicalsupport1",
                                 "About1",
                                 "openButton",
                                 "saveButton",
                                 "helpButton"})
            QVERIFY2(f.find<QAction>(name), name);
        QCOMPARE(f.find<QAction>("Open1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(f.find<QAction>("Contents1")->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(form.minimumSize(), QSize(600, 497));
        QCOMPARE(f.find<QTabWidget>("PageControl")->tabText(3), QStringLiteral("&4 Go!"));
        QVERIFY(!f.find<QMenu>("Recentfiles1")->isEnabled());
    }

    void titleCarriesTheModifiedMark() {
        DesktopFixture f;
        auto& form = f.start();
        QCOMPARE(form.windowTitle(), QStringLiteral("Untitled - Larkspire"));
        QTest::keyClicks(f.find<QLineEdit>("Directory"), "x");
        QCOMPARE(form.windowTitle(), QStringLiteral("Untitled (modified) - Larkspire"));
    }

    void navigationEnabling_data() {
        QTest::addColumn<bool>("byTabs");
        QTest::newRow("buttons") << false;
        QTest::newRow("tabs") << true;
    }
    void navigationEnabling() {
        QFETCH(bool, byTabs);
        DesktopFixture f;
        f.start();
        auto* back = f.find<QAbstractButton>("prevButton");
        auto* next = f.find<QAbstractButton>("nextButton");
        auto* pages = f.find<QTabWidget>("PageControl");
        QVERIFY(!back->isEnabled() && next->isEnabled());
        for (int page = 1; page < 4; ++page) {
            if (byTabs)
                pages->setCurrentIndex(page);
            else
                QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(pages->currentIndex(), page);
            QVERIFY(back->isEnabled());
            QCOMPARE(next->isEnabled(), page < 3);
        }
        if (byTabs)
            pages->setCurrentIndex(0);
        else
            for (int page = 3; page > 0; --page)
                QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(!back->isEnabled() && next->isEnabled());
    }

    void postActionEnablesOnlyItsControls_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("moveControls");
        QTest::addColumn<bool>("tagControl");
        QTest::newRow("leave") << 0 << false << false;
        QTest::newRow("move") << 1 << true << false;
        QTest::newRow("tag") << 2 << false << true;
    }
    void postActionEnablesOnlyItsControls() {
        QFETCH(int, choice);
        QFETCH(bool, moveControls);
        QFETCH(bool, tagControl);
        DesktopFixture f;
        auto& form = f.start();
        f.find<QTabWidget>("PageControl")->setCurrentIndex(1);
        if (choice == 0)
            QTest::mouseClick(item(f.find<QWidget>("emailsTo"), 2), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(item(f.find<QWidget>("emailsTo"), choice), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(form.emailsTo(), choice);
        QCOMPARE(f.find<QWidget>("messageDestination")->isEnabled(), moveControls);
        QCOMPARE(f.find<QWidget>("browseToFolder")->isEnabled(), moveControls);
        QCOMPARE(f.find<QWidget>("tagText")->isEnabled(), tagControl);
        QVERIFY(form.window().modified());
    }

    void loginAndSourceEnabling() {
        DesktopFixture f;
        auto& form = f.start();
        QVERIFY(!f.find<QWidget>("profileName")->isEnabled());
        QTest::mouseClick(item(f.find<QWidget>("Profile"), 2), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.find<QWidget>("profileName")->isEnabled() && f.find<QWidget>("password")->isEnabled());
        QTest::keyClicks(f.find<QLineEdit>("profileName"), "Home");
        QCOMPARE(form.window().session().profileName(), std::string("Home"));
        f.find<QTabWidget>("PageControl")->setCurrentIndex(1);
        QVERIFY(!f.find<QWidget>("browseFromFolder")->isEnabled());
        QTest::mouseClick(item(f.find<QWidget>("emailsFrom"), 1), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.find<QWidget>("browseFromFolder")->isEnabled() &&
                f.find<QWidget>("messageSource")->isEnabled());
    }

    void sampleNameTurnsRedOnErrorAndBack() {
        DesktopFixture f;
        f.start();
        f.find<QTabWidget>("PageControl")->setCurrentIndex(2);
        auto* format = f.find<QComboBox>("FileNameFormat");
        auto* sample = f.find<QLabel>("sampleName");
        QVERIFY(sample->font().fixedPitch() || QFontInfo(sample->font()).fixedPitch());
        format->lineEdit()->selectAll();
        QTest::keyClicks(format->lineEdit(), "%d %d");
        QVERIFY2(sample->text().startsWith(QStringLiteral("Error - see help or fix format: ")),
                 qPrintable(sample->text()));
        QCOMPARE(sample->palette().color(QPalette::WindowText), QColor(Qt::red));
        format->lineEdit()->selectAll();
        QTest::keyClicks(format->lineEdit(), "mail%d.txt");
        QCOMPARE(sample->text(), QStringLiteral("Sample filename: mail0.txt"));
        QVERIFY(sample->palette().color(QPalette::WindowText) != QColor(Qt::red));
        f.find<QSpinBox>("firstNumber")->setValue(12);
        QCOMPARE(sample->text(), QStringLiteral("Sample filename: mail12.txt"));
    }

    void directoryPicker() {
        DesktopFixture f;
        auto& form = f.start();
        f.files.answers = {QString::fromStdString(f.output.string())};
        QTest::mouseClick(f.find<QAbstractButton>("DirectoryButton"), Qt::LeftButton);
        QCOMPARE(form.directory(), f.output.string());
        QVERIFY(form.window().modified());
        QTest::mouseDClick(f.find<QLineEdit>("Directory"), Qt::LeftButton);
        QCOMPARE(f.opened, std::vector<std::string>{f.output.string()});
    }

    void editCommandsGoToTheFocusedControl() {
        DesktopFixture f;
        auto& form = f.start();
        f.find<QTabWidget>("PageControl")->setCurrentIndex(1);
        QTest::mouseClick(item(f.find<QWidget>("emailsTo"), 2), Qt::LeftButton, {}, QPoint(5, 5));
        auto* tag = f.find<QLineEdit>("tagText");
        QApplication::setActiveWindow(&form);
        tag->setFocus();
        QTRY_VERIFY(tag->hasFocus());
        tag->setText(QStringLiteral("[done]"));
        tag->selectAll();
        f.find<QAction>("Copy1")->trigger();
        // Posted, not performed at once.
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[done]"));
        f.find<QAction>("Cut1")->trigger();
        QTRY_COMPARE(tag->text(), QString());
        f.find<QAction>("Paste1")->trigger();
        QTRY_COMPARE(tag->text(), QStringLiteral("[done]"));
    }

    void passwordReachesNeitherOptionFileNorHive() {
        DesktopFixture f;
        auto& form = f.start();
        QTest::mouseClick(item(f.find<QWidget>("Profile"), 2), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(f.find<QLineEdit>("profileName"), "Work");
        QTest::keyClicks(f.find<QLineEdit>("password"), "s3cret-Pw");
        QCOMPARE(form.window().session().password(), std::string("s3cret-Pw"));
        const auto job = f.folder / "job.lks";
        f.files.answers = {QString::fromStdString(job.string())};
        f.find<QAction>("Saveas1")->trigger();
        f.form->close();
        QVERIFY(!f.form->isVisible());
        const std::string saved = testsupport::TemporaryFolder::readFile(job);
        const std::string registry = testsupport::TemporaryFolder::readFile(f.folder / "registry.reg");
        QVERIFY(saved.find("Work") != std::string::npos);
        QVERIFY(registry.find("\"Save folder\"") != std::string::npos);
        QVERIFY(saved.find("s3cret") == std::string::npos);
        QVERIFY(registry.find("s3cret") == std::string::npos);
    }

    void aboutAndLinks() {
        DesktopFixture f;
        f.start();
        f.find<QAction>("QuenbySoftwareHomePage1")->trigger();
        QCOMPARE(f.opened.size(), std::size_t(1));
        QVERIFY(
            QString::fromStdString(f.opened[0]).contains(QStringLiteral("source=QuenbySoftwareHomePage1")));
        f.find<QAction>("Index1")->trigger();
        QVERIFY(f.form->openedHelpViewer());
        QCOMPARE(f.form->openedHelpViewer()->source().fileName(), QStringLiteral("index.html"));
        QStringList about;
        QTimer::singleShot(0, [&about] {
            QWidget* box = QApplication::activeModalWidget();
            for (const char* name : {"ProductName", "Version", "Copyright"})
                about << box->findChild<QLabel*>(QString::fromLatin1(name))->text();
            box->close();
        });
        f.find<QAction>("About1")->trigger();
        QCOMPARE(about, (QStringList{"Larkspire", "Version 9.8.7",
                                     QString::fromUtf8("Copyright \u00a9 Quenby Software")}));
    }
};

} // namespace

std::unique_ptr<QObject> makeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

} // namespace desktoptest

#include "MainWindowTest.moc"
