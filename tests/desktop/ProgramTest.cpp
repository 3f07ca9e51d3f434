// The built program: the window chosen when a display is set (here the offscreen platform), the
// command line carried out in it, and "--dde-execute" reaching a running window.

#include "DesktopFixture.h"
#include "DesktopTests.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <fstream>
#include <sys/stat.h>

namespace desktoptest {
namespace {

class ProgramTest : public QObject {
    Q_OBJECT
private:
    // A job file over the fixture's Maildir, and the environment the program finds it in.
    QProcessEnvironment prepare(DesktopFixture& f, const std::filesystem::path& job) {
        f.start();
        f.setUpJob();
        f.saveJob(job.filename().string());
        f.form.reset();
        const auto profiles = f.folder / "profiles.ini";
        std::ofstream(profiles) << "[Work]\ndefault = true\nstore = Personal Folders, maildir:"
                                << f.mailRoot.string() << ", default\n";
        const auto runtime = f.folder / "runtime";
        std::filesystem::create_directory(runtime);
        ::chmod(runtime.c_str(), 0700);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LARKSPIRE_PROFILES"), QString::fromStdString(profiles.string()));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           QString::fromStdString(f.folder.path().string()));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.string()));
        return environment;
    }

    int run(const QProcessEnvironment& environment, const QStringList& arguments) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(LARKSPIRE_PROGRAM), arguments);
        if (!program.waitForFinished(60000))
            return -1;
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    }

private slots:
    void windowCarriesOutTheCommandLineAndEnds() {
        DesktopFixture f;
        const auto job = f.folder / "daily.lks";
        const auto environment = prepare(f, job);
        const QString file = QString::fromStdString(job.string());
        QCOMPARE(run(environment, {"/F=" + file, "/UPDATECOUNT", "/G", "/Q"}), 0);
        QCOMPARE(f.outputFiles().size(), std::size_t(DesktopFixture::kInboxMessages));
        f.start({"/F=" + job.string()});
        QCOMPARE(f.form->firstNumber(), 8);
    }

    void requestReachesTheRunningWindow() {
        DesktopFixture f;
        const auto job = f.folder / "daily.lks";
        const auto environment = prepare(f, job);
        const QString request = "--dde-execute=[FileOpen(\"" + QString::fromStdString(job.string()) + "\")]";
        QCOMPARE(run(environment, {request}), 1);

        QProcess window;
        window.setProcessEnvironment(environment);
        window.start(QStringLiteral(LARKSPIRE_PROGRAM), QStringList{});
        QVERIFY(window.waitForStarted());
        const auto socket = f.folder / "runtime" / "larkspire.AppDDE";
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(socket), 20000);
        QCOMPARE(run(environment, {request}), 0);
        QCOMPARE(run(environment, {"--dde-execute=[fileopen(\"x\")]"}), 0);
        window.terminate();
        QVERIFY(window.waitForFinished(20000));
        // Nobody serves the socket left behind.
        QCOMPARE(run(environment, {request}), 1);
    }

    // The desktop's entry runs "larkspire %f": a running copy takes the file, else this one opens it.
    void aFileOpenedFromTheDesktop() {
        DesktopFixture f;
        const auto job = f.folder / "daily.lks";
        const auto environment = prepare(f, job);
        QProcess window;
        window.setProcessEnvironment(environment);
        window.start(QStringLiteral(LARKSPIRE_PROGRAM), {QString::fromStdString(job.string())});
        QVERIFY(window.waitForStarted());
        const auto socket = f.folder / "runtime" / "larkspire.AppDDE";
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(socket), 20000);
        QCOMPARE(window.state(), QProcess::Running);
        QCOMPARE(run(environment, {QString::fromStdString(job.string())}), 0);
        window.terminate();
        QVERIFY(window.waitForFinished(20000));
    }
};

} // namespace

std::unique_ptr<QObject> makeProgramTest() {
    return std::make_unique<ProgramTest>();
}

} // namespace desktoptest

#include "ProgramTest.moc"
