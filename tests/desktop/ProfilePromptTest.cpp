// The login prompt of login choice "Prompt": the profiles listed, the choice handed back, and
// Cancel failing the logon with the cancel code.

#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "desktop/TProfilePrompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace desktoptest {
namespace {

// Answers the next modal prompt: picks row `row` with `password`, or cancels when row < 0.
void answerPrompt(int row, const QString& password) {
    QTimer::singleShot(0, [=] {
        QTRY_VERIFY(qobject_cast<desktop::TProfilePrompt*>(QApplication::activeModalWidget()));
        auto* prompt = QApplication::activeModalWidget();
        auto* buttons = prompt->findChild<QDialogButtonBox*>(QStringLiteral("promptButtons"));
        if (row < 0) {
            buttons->button(QDialogButtonBox::Cancel)->click();
            return;
        }
        prompt->findChild<QListWidget*>(QStringLiteral("profileList"))->setCurrentRow(row);
        prompt->findChild<QLineEdit*>(QStringLiteral("promptPassword"))->setText(password);
        buttons->button(QDialogButtonBox::Ok)->click();
    });
}

class ProfilePromptTest : public QObject {
    Q_OBJECT
private slots:
    void listsProfilesAndHandsBackTheChoice() {
        const auto hook = desktop::TProfilePrompt::hook();
        answerPrompt(1, QStringLiteral("pw"));
        const auto choice = hook({"Work", "Home"});
        QVERIFY(choice.has_value());
        QCOMPARE(choice->name, std::string("Home"));
        QCOMPARE(choice->password, std::string("pw"));
        answerPrompt(-1, {});
        QVERIFY(!hook({"Work", "Home"}).has_value());
    }

    void cancelFailsTheLogonWithTheCancelCode() {
        DesktopFixture f;
        auto& form = f.start();
        auto* mail = dynamic_cast<mapi::ProfileSubsystem*>(&form.window().session().mapi());
        QVERIFY(mail);
        mail->setPrompt(desktop::TProfilePrompt::hook());
        QTest::mouseClick(f.find<QWidget>("Profile")->findChildren<QRadioButton*>().at(1), Qt::LeftButton, {},
                          QPoint(5, 5));
        answerPrompt(-1, {});
        QTest::mouseClick(f.find<QAbstractButton>("testLogin"), Qt::LeftButton);
        QCOMPARE(f.dialogs.dialogs.size(), std::size_t(1));
        const QString text = QString::fromStdString(f.dialogs.dialogs[0].text);
        QVERIFY2(text.endsWith(QStringLiteral("The user canceled the operation, typically by choosing the "
                                              "Cancel button in a dialog box.")),
                 qPrintable(text));

        answerPrompt(0, {});
        f.dialogs.answers = {platform::DialogButton::OK};
        QTest::mouseClick(f.find<QAbstractButton>("testLogin"), Qt::LeftButton);
        QCOMPARE(f.dialogs.dialogs.back().text, std::string("Login succeeded"));
    }
};

} // namespace

std::unique_ptr<QObject> makeProfilePromptTest() {
    return std::make_unique<ProfilePromptTest>();
}

} // namespace desktoptest

#include "ProfilePromptTest.moc"
