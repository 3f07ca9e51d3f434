// Go with the status window, and the guards that keep what a run uses while it pumps events:
// a second Go, a Login change, an option file opened, the status window or the main window closed.

#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "desktop/RequestServer.h"

#include <QAbstractButton>
#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

namespace desktoptest {
namespace {

using Kind = desktop::TTstatusForm::ButtonKind;

// Runs `during` from the first event the run pumps, then clicks Go and returns when the run is over.
void goWith(DesktopFixture& f, std::function<void()> during) {
    bool ran = false;
    QTimer::singleShot(0, f.form.get(), [&] {
        QVERIFY(f.form->window().running());
        during();
        ran = true;
    });
    QTest::mouseClick(f.find<QAbstractButton>("finishButton"), Qt::LeftButton);
    QVERIFY(ran);
    QVERIFY(!f.form->window().running());
}

QAbstractButton* statusButton(desktop::TTstatusForm* status) {
    return status->findChild<QAbstractButton*>(QStringLiteral("cancelButton"));
}

class RunTest : public QObject {
    Q_OBJECT
private slots:
    void completedRunAdvancesFirstNumber() {
        DesktopFixture f;
        auto& form = f.start();
        f.setUpJob();
        QTest::mouseClick(f.find<QAbstractButton>("finishButton"), Qt::LeftButton);
        QCOMPARE(f.outputFiles().size(), std::size_t(DesktopFixture::kInboxMessages));
        QCOMPARE(form.firstNumber(), 8);
        QVERIFY(form.window().modified());
        QCOMPARE(form.windowTitle(), QStringLiteral("Untitled (modified) - Larkspire"));
        auto* status = form.statusWindow();
        QVERIFY(status);
        QCOMPARE(status->windowTitle(), QStringLiteral("Processing emails..."));
        QVERIFY(status->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(status->buttonKind(), Kind::OK);
        QCOMPARE(statusButton(status)->text(), QStringLiteral("&OK"));
        QVERIFY(f.dialogs.dialogs.empty());
        // Enter presses the OK button, which releases the window.
        QTest::keyClick(status, Qt::Key_Return);
        QTRY_VERIFY(!form.statusWindow());
    }

    void cancelledRunLeavesFirstNumber() {
        DesktopFixture f;
        auto& form = f.start();
        f.setUpJob();
        QPointer<desktop::TTstatusForm> status;
        goWith(f, [&] {
            status = f.form->statusWindow();
            QTest::mouseClick(statusButton(status), Qt::LeftButton);
            QCOMPARE(statusButton(status)->text(), QStringLiteral("&Close"));
        });
        QVERIFY(f.outputFiles().size() < std::size_t(DesktopFixture::kInboxMessages));
        QCOMPARE(form.firstNumber(), 1);
        QVERIFY(status);
        QCOMPARE(status->buttonKind(), Kind::OK);
    }

    void closingTheStatusWindowEndsTheRunAsACancel() {
        DesktopFixture f;
        auto& form = f.start();
        f.setUpJob();
        goWith(f, [&] { f.form->statusWindow()->close(); });
        QVERIFY(!form.statusWindow());
        QVERIFY(f.outputFiles().size() < std::size_t(DesktopFixture::kInboxMessages));
        QCOMPARE(form.firstNumber(), 1);
        QVERIFY(f.dialogs.dialogs.empty());
    }

    void closingTheMainWindowDuringARunClosesItAfterTheRun() {
        DesktopFixture f;
        auto& form = f.start();
        f.setUpJob();
        QSignalSpy closed(&form, &desktop::TForm1::closedForGood);
        goWith(f, [&] {
            f.form->close();
            QVERIFY(f.form->isVisible());
        });
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form.isVisible());
    }

    void secondGoAndLoginChangeWaitForTheRun() {
        DesktopFixture f;
        auto& form = f.start();
        f.setUpJob();
        desktop::TTstatusForm* first = nullptr;
        desktop::TTstatusForm* afterSecondGo = nullptr;
        goWith(f, [&] {
            first = f.form->statusWindow();
            QTest::mouseClick(f.find<QAbstractButton>("finishButton"), Qt::LeftButton);
            afterSecondGo = f.form->statusWindow();
            auto* userName = f.find<QWidget>("Profile")->findChildren<QRadioButton*>().at(2);
            QTest::mouseClick(userName, Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(f.form->window().session().loginChoice(), 0);
        });
        QCOMPARE(f.outputFiles().size(), std::size_t(DesktopFixture::kInboxMessages));
        QCOMPARE(form.firstNumber(), 8);
        QCOMPARE(afterSecondGo, first);
        QCOMPARE(form.window().session().loginChoice(), 2);
    }

    void optionFileOpenedDuringARunKeepsItsOwnNumber() {
        DesktopFixture f;
        auto& form = f.start();
        form.setFirstNumber(500);
        const auto other = f.saveJob("other.lks");
        f.setUpJob();
        desktop::RequestServer server([&form](const std::string& command) { form.requestReceived(command); });
        const auto socket = f.folder / "run" / "larkspire.AppDDE";
        QVERIFY(server.listen(socket));
        // The request is served while the run pumps events, and the file opened at once.
        goWith(f, [&] {
            QVERIFY(DesktopFixture::sendServed(socket, "[FileOpen(\"" + other.string() + "\")]"));
            QTRY_COMPARE(f.form->windowTitle(), QStringLiteral("other.lks - Larkspire"));
            QVERIFY(f.form->window().running());
        });
        QCOMPARE(f.outputFiles().size(), std::size_t(DesktopFixture::kInboxMessages));
        QCOMPARE(form.windowTitle(), QStringLiteral("other.lks - Larkspire"));
        QCOMPARE(form.firstNumber(), 500);
    }

    void commandLineRunsAndEnds() {
        DesktopFixture f;
        f.start();
        f.setUpJob();
        const auto job = f.saveJob("job.lks");
        f.form.reset();
        f.start({"/F=" + job.string(), "/UPDATECOUNT", "/G", "/Q"});
        QCOMPARE(f.outputFiles().size(), std::size_t(DesktopFixture::kInboxMessages));
        QVERIFY(!f.form->isVisible());
        f.form.reset();
        f.start({"/F=" + job.string()});
        QCOMPARE(f.form->firstNumber(), 8);
    }
};

} // namespace

std::unique_ptr<QObject> makeRunTest() {
    return std::make_unique<RunTest>();
}

} // namespace desktoptest

#include "RunTest.moc"
