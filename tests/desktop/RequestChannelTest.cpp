// The request channel end to end: a client's request reaches the window and is acknowledged;
// nobody listening is told apart; the socket keeps every other user out.

#include "ui/RequestChannel.h"
#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "desktop/RequestServer.h"

#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace desktoptest {
namespace {

class RequestChannelTest : public QObject {
    Q_OBJECT
private slots:
    void requestOpensTheFileAndIsAcknowledged() {
        DesktopFixture f;
        auto& form = f.start();
        const auto job = f.saveJob("daily.lks");
        f.saveJob("other.lks");
        desktop::RequestServer server([&form](const std::string& command) { form.requestReceived(command); });
        const auto socket =
            ui::requestSocketPath(f.folder / "run", ui::requestService("/usr/bin/larkspire.bin"));
        QCOMPARE(socket.filename().string(), std::string("larkspire.AppDDE"));
        QVERIFY(server.listen(socket));

        QVERIFY(DesktopFixture::sendServed(socket, "[FileOpen(\"" + job.string() + "\")]"));
        QTRY_COMPARE(form.windowTitle(), QStringLiteral("daily.lks - Larkspire"));
        QVERIFY(DesktopFixture::sendServed(socket, "[Other]"));
        QTRY_COMPARE(f.dialogs.infos, std::vector<std::string>{"Invalid DDE message [Other]\r\n"});

        struct stat info {};
        QCOMPARE(::stat(socket.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(::stat(socket.parent_path().c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);

        // A second server finds the channel taken.
        desktop::RequestServer second([](const std::string&) {});
        QVERIFY(!second.listen(socket));
    }

    void nobodyListening() {
        testsupport::TemporaryFolder folder;
        QVERIFY(!ui::sendRequest(folder / "larkspire.AppDDE", "[FileOpen(\"x\")]"));
        {
            desktop::RequestServer server([](const std::string&) {});
            QVERIFY(server.listen(folder / "run" / "larkspire.AppDDE"));
        }
        // The socket left behind by a server that ended answers nobody.
        QVERIFY(!ui::sendRequest(folder / "run" / "larkspire.AppDDE", "x"));
    }

    void otherUsersAreRefused() {
        if (::geteuid() != 0)
            QSKIP("needs root to act as a second user");
        testsupport::TemporaryFolder folder;
        ::chmod(folder.path().c_str(), 0755);
        int served = 0;
        desktop::RequestServer server([&served](const std::string&) { ++served; });
        const auto socket = folder / "run" / "larkspire.AppDDE";
        QVERIFY(server.listen(socket));
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(4);
            try {
                ::_exit(ui::sendRequest(socket, "[FileOpen(\"x\")]") ? 0 : 1);
            } catch (...) {
                ::_exit(3);
            }
        }
        int status = 0;
        QVERIFY(QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }));
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 3);
        QCOMPARE(served, 0);
    }

    void privateFolderIsChecked() {
        testsupport::TemporaryFolder folder;
        const auto open = folder / "open";
        std::filesystem::create_directory(open);
        ::chmod(open.c_str(), 0755);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ui::ensurePrivateFolder(open));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ui::sendRequest(folder / "s", std::string("a\0b", 3)));
    }
};

} // namespace

std::unique_ptr<QObject> makeRequestChannelTest() {
    return std::make_unique<RequestChannelTest>();
}

} // namespace desktoptest

#include "RequestChannelTest.moc"
