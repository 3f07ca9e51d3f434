// The File menu: Save, Save as, the recent list and the save question; requests of the request
// channel that open a file.

#include "DesktopFixture.h"
#include "DesktopTests.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace desktoptest {
namespace {

using platform::DialogButton;

QString path(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

class OptionFileTest : public QObject {
    Q_OBJECT
private slots:
    void saveAsThenSaveWithoutDialog() {
        DesktopFixture f;
        auto& form = f.start();
        const auto job = f.folder / "jobs.lks";
        f.files.answers = {path(job)};
        f.find<QAction>("Save1")->trigger();
        QCOMPARE(f.files.asked, 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("jobs.lks - Larkspire"));
        QTest::keyClicks(f.find<QLineEdit>("Directory"), "/x");
        QCOMPARE(form.windowTitle(), QStringLiteral("jobs.lks (modified) - Larkspire"));
        f.find<QAction>("saveButton")->trigger();
        QCOMPARE(f.files.asked, 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("jobs.lks - Larkspire"));
        QVERIFY(testsupport::TemporaryFolder::readFile(job).find("/x") != std::string::npos);
    }

    void saveQuestionOnClosing_data() {
        QTest::addColumn<DialogButton>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Cancel keeps the window") << DialogButton::Cancel << false;
        QTest::newRow("No closes without saving") << DialogButton::No << true;
    }
    void saveQuestionOnClosing() {
        QFETCH(DialogButton, answer);
        QFETCH(bool, closes);
        DesktopFixture f;
        auto& form = f.start();
        QTest::keyClicks(f.find<QLineEdit>("Directory"), "/y");
        f.dialogs.answers = {answer};
        form.close();
        QCOMPARE(f.boxTexts(), std::vector<std::string>{"Save current settings?"});
        QCOMPARE(form.isVisible(), !closes);
        QCOMPARE(f.files.asked, 0);
    }

    void recentList() {
        DesktopFixture f;
        auto& form = f.start();
        std::vector<std::filesystem::path> jobs;
        for (int i = 1; i <= 11; ++i) {
            jobs.push_back(f.folder / ("job" + std::to_string(i) + ".lks"));
            form.window().SaveFile(jobs.back().string());
        }
        auto* menu = f.find<QMenu>("Recentfiles1");
        QVERIFY(menu->isEnabled());
        QCOMPARE(menu->actions().size(), 10);
        QCOMPARE(menu->actions().front()->text(), "&1 " + path(jobs[10]));
        QCOMPARE(menu->actions().back()->text(), "1&0 " + path(jobs[1]));
        // The same file in other letter case moves to the top without a new entry.
        std::string upper = jobs[4].string();
        upper.replace(upper.size() - 8, 4, "JOB5");
        std::filesystem::copy_file(jobs[4], upper);
        form.window().openFile(upper);
        QCOMPARE(menu->actions().size(), 10);
        QCOMPARE(menu->actions().front()->text().compare("&1 " + path(jobs[4]), Qt::CaseInsensitive), 0);
        QCOMPARE(menu->actions().at(1)->text(), "&2 " + path(jobs[10]));
        // An entry chosen while the job is modified asks first.
        QTest::keyClicks(f.find<QLineEdit>("Directory"), "/z");
        f.dialogs.answers = {DialogButton::No};
        menu->actions().at(3)->trigger();
        QCOMPARE(f.boxTexts(), std::vector<std::string>{"Save current settings?"});
        QCOMPARE(form.windowTitle(), QStringLiteral("job9.lks - Larkspire"));
        QCOMPARE(menu->actions().front()->text(), "&1 " + path(jobs[8]));
    }

    void requestsWhileIdle() {
        DesktopFixture f;
        auto& form = f.start();
        const auto job = f.saveJob("daily.lks");
        f.saveJob("other.lks");
        QTest::keyClicks(f.find<QLineEdit>("Directory"), "/w");
        const std::string command = "[FileOpen(\"" + job.string() + "\")]";
        form.requestReceived(command);
        QCOMPARE(form.windowTitle(), QStringLiteral("daily.lks - Larkspire"));
        QVERIFY(f.dialogs.dialogs.empty());
        form.requestReceived("[fileopen(\"" + job.string() + "\")]");
        QCOMPARE(f.boxTexts(),
                 std::vector<std::string>{"Invalid DDE message [fileopen(\"" + job.string() + "\")]\r\n"});
        form.requestReceived("[FileOpen(\"" + (f.folder / "missing.lks").string() + "\")]");
        QCOMPARE(f.dialogs.dialogs.size(), std::size_t(1));
        QCOMPARE(f.dialogs.dialogs[0].title, std::string("daily.lks - Larkspire"));
        QCOMPARE(form.windowTitle(), QStringLiteral("daily.lks - Larkspire"));
    }
};

} // namespace

std::unique_ptr<QObject> makeOptionFileTest() {
    return std::make_unique<OptionFileTest>();
}

} // namespace desktoptest

#include "OptionFileTest.moc"
