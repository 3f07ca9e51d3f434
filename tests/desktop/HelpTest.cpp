// The Help menu and the start-up greeting: the help viewer over the shipped pages (contents,
// index, topics by F1), the links, the tip of the day at a later start with paging and its
// check box, and the help contents on the very first start.

#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "desktop/THelpViewer.h"
#include "desktop/TupdateForm.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace desktoptest {
namespace {

constexpr const char* kProductKey = "SOFTWARE\\Tamberlock\\Larkspire";

// Runs `answer` on the modal dialog once it is open.
void whenModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start(0);
}

QString shownPage(desktop::TForm1& form) {
    return form.openedHelpViewer() ? form.openedHelpViewer()->source().fileName() : QString();
}

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void aFirstStartOpensTheHelpContents() {
        DesktopFixture f;
        f.greet = true;
        auto& form = f.start();
        QCOMPARE(shownPage(form), QStringLiteral("contents.html"));
        QVERIFY(form.openedHelpViewer()->isVisible());
        QVERIFY(f.boxTexts().empty());
    }

    void helpMenuEntries() {
        DesktopFixture f;
        auto& form = f.start();
        f.find<QAction>("Technicalsupport1")->trigger();
        f.find<QAction>("SubscribetoLarkspireupdatelist1")->trigger();
        QCOMPARE(f.opened.size(), std::size_t(2));
        QVERIFY(
            f.opened[0].ends_with("/support.html?application=Larkspire&ver=2.3&source=Technicalsupport1"));
        QVERIFY(f.opened[1].ends_with("/subscribe/tamberlock"));
        f.find<QAction>("Index1")->trigger();
        QCOMPARE(shownPage(form), QStringLiteral("index.html"));
        f.find<QAction>("Contents1")->trigger();
        QCOMPARE(shownPage(form), QStringLiteral("contents.html"));

        // F1 in the folder chooser shows its topic.
        whenModal([&](QWidget* chooser) {
            QTest::keyClick(chooser, Qt::Key_F1);
            chooser->close();
        });
        f.find<QWidget>("browseFromFolder")->setEnabled(true);
        QTest::mouseClick(f.find<QWidget>("browseFromFolder"), Qt::LeftButton);
        QCOMPARE(shownPage(form), QStringLiteral("choose-folder.html"));
    }

    // The update check against a server on loopback, reached as the hive's proxy.
    void theUpdateWindow() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        bool answer = true;
        QByteArray request;
        QPointer<QTcpSocket> held;
        connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            held = socket;
            connect(socket, &QTcpSocket::readyRead, [&, socket] {
                request += socket->readAll();
                if (answer && request.contains("\r\n\r\n")) {
                    socket->write("HTTP/1.0 200 OK\r\n\r\nLARKSPIRE,41619.5,,2.3\r\n");
                    socket->disconnectFromHost();
                }
            });
        });
        DesktopFixture f;
        f.hive.createKey(kProductKey)
            .writeString("proxy", "127.0.0.1:" + std::to_string(server.serverPort()));
        auto& form = f.start();
        f.find<QAction>("CheckwebforLarkspireupdates1")->trigger();
        f.find<QAction>("CheckwebforLarkspireupdates1")->trigger();
        QCOMPARE(form.findChildren<desktop::TupdateForm*>().size(), 1);
        QPointer<desktop::TupdateForm> update = form.findChild<desktop::TupdateForm*>();
        QCOMPARE(update->windowTitle(), QStringLiteral("Larkspire update"));
        update->findChild<QPushButton*>("okButton")->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.infos.size(), std::size_t(1), 20000);
        QCOMPARE(f.dialogs.infos[0],
                 "You already have the latest version of Larkspire - no download is necessary");
        QVERIFY(request.startsWith("GET http://"));
        QVERIFY(request.contains("/versions.txt?name="));
        QVERIFY(request.contains("User-Agent: Larkspire\r\n"));
        update->findChild<QPushButton*>("okButton")->click();
        QTRY_VERIFY(!update);

        // Closed while the server has not answered: nothing is shown afterwards.
        answer = false;
        request.clear();
        f.find<QAction>("CheckwebforLarkspireupdates1")->trigger();
        update = form.findChild<desktop::TupdateForm*>();
        update->findChild<QPushButton*>("okButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(request.contains("\r\n\r\n"), 20000);
        update->close();
        QTRY_VERIFY(!update);
        held->write("HTTP/1.0 200 OK\r\n\r\nLarkspire,50000,,9.9\r\n");
        held->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(!held || held->state() == QAbstractSocket::UnconnectedState, 20000);
        QCoreApplication::processEvents();
        QCOMPARE(f.dialogs.infos.size(), std::size_t(1));
        QVERIFY(f.dialogs.dialogs.empty());
    }

    void laterStartsShowTheTipOfTheDay() {
        DesktopFixture f;
        f.greet = true;
        auto key = f.hive.createKey(kProductKey);
        key.writeDword("isFirstDay", 0);
        key.writeDword("show tips", 1);
        key.writeDword("current tip", 36);
        QStringList titles;
        QString firstTip;
        whenModal([&](QWidget* tip) {
            firstTip = tip->findChild<QLabel*>("lTip")->text();
            titles << tip->findChild<QLabel*>("lTitle")->text();
            tip->findChild<QPushButton*>("bPrevious")->click();
            tip->findChild<QPushButton*>("bNext")->click();
            tip->findChild<QPushButton*>("bNext")->click();
            titles << tip->findChild<QLabel*>("lTitle")->text();
            tip->findChild<QCheckBox*>("cbShowTips")->click();
            tip->findChild<QPushButton*>("bClose")->click();
        });
        f.start();
        // 35 tips: 36 is tip 1, shown without its marker; two steps on from tip 0 is tip 2.
        QCOMPARE(firstTip, QStringLiteral("Use the Next and Back buttons to walk through the four pages of a "
                                          "job: Login, Email Folders, Output Files and Go!"));
        QCOMPARE(titles.front(), QStringLiteral("Today's tip..."));
        QCOMPARE(f.form->window().currentTip(), 3);
        QVERIFY(!f.form->window().showTips());
        QCOMPARE(f.dialogs.infos,
                 std::vector<std::string>({"If you need it, you can find Tip of the Day in the Help Menu"}));
    }
};

} // namespace

std::unique_ptr<QObject> makeHelpTest() {
    return std::make_unique<HelpTest>();
}

} // namespace desktoptest

#include "HelpTest.moc"
