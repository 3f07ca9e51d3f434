// The status window's button: Cancel, then Close; OK after Finish; Esc and Enter; release on close.

#include "DesktopTests.h"
#include "desktop/TTstatusForm.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace desktoptest {
namespace {

using desktop::TTstatusForm;
using Kind = TTstatusForm::ButtonKind;

class StatusFormTest : public QObject {
    Q_OBJECT
private slots:
    void design() {
        QPointer<TTstatusForm> form = new TTstatusForm;
        QCOMPARE(form->size(), QSize(487, 223));
        auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
        QVERIFY(!pages->isTabVisible(1));
        auto* grid = form->findChild<QTableWidget*>(QStringLiteral("Exceptions"));
        QCOMPARE(grid->rowCount(), 0);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(),
                 QStringLiteral("Emails requiring manual intervention"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("statusText"))->text(),
                 QStringLiteral("Processing Email 0 of 0:"));
        desktop::StatusWindowSink sink(form);
        sink.setStatusLine("Processing email 2 of 4");
        sink.setProgress(50);
        sink.setSubject("Hello");
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("statusText"))->text(),
                 QStringLiteral("Processing email 2 of 4"));
        // The rest follows within the redraw interval, without another update.
        QTRY_COMPARE(form->findChild<QProgressBar*>(QStringLiteral("taskProgress"))->value(), 50);
        QTRY_COMPARE(form->findChild<QLabel*>(QStringLiteral("emailSubject"))->text(),
                     QStringLiteral("Hello"));
        form->close();
        QTRY_VERIFY(!form);
        QVERIFY(sink.cancelled());
    }

    void cancelThenClose() {
        QPointer<TTstatusForm> form = new TTstatusForm;
        form->show();
        auto* button = form->findChild<QAbstractButton*>(QStringLiteral("cancelButton"));
        QSignalSpy closed(form.data(), &TTstatusForm::closed);
        QTest::keyClick(form, Qt::Key_Escape);
        QVERIFY(form->cancelFlag());
        QCOMPARE(form->buttonKind(), Kind::Close);
        QCOMPARE(button->text(), QStringLiteral("&Close"));
        // Esc belongs to the Cancel button only.
        QTest::keyClick(form, Qt::Key_Escape);
        QVERIFY(form->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QTRY_VERIFY(!form);
    }

    void finishGivesOkAndEnterCloses() {
        QPointer<TTstatusForm> form = new TTstatusForm;
        form->show();
        form->finish();
        QCOMPARE(form->buttonKind(), Kind::OK);
        QCOMPARE(form->findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->text(),
                 QStringLiteral("&OK"));
        QVERIFY(!form->cancelFlag());
        QTest::keyClick(form, Qt::Key_Return);
        QTRY_VERIFY(!form);
    }
};

} // namespace

std::unique_ptr<QObject> makeStatusFormTest() {
    return std::make_unique<StatusFormTest>();
}

} // namespace desktoptest

#include "StatusFormTest.moc"
