// The window's password prompt for a mail account: typed without echo, none on Cancel.

#include "DesktopTests.h"
#include "desktop/TPasswordPrompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace desktoptest {
namespace {

class PasswordPromptTest : public QObject {
    Q_OBJECT
private slots:
    void typedOrCancelled() {
        const mapi::PasswordPrompt prompt = desktop::TPasswordPrompt::hook();
        for (const bool accept : {true, false}) {
            QTimer::singleShot(0, [accept] {
                QWidget* dialog = QApplication::activeModalWidget();
                auto* edit = dialog->findChild<QLineEdit*>("accountPassword");
                QCOMPARE(edit->echoMode(), QLineEdit::Password);
                QTest::keyClicks(edit, "s3cret");
                auto* buttons = dialog->findChild<QDialogButtonBox*>("passwordButtons");
                buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
            });
            const std::optional<std::string> password = prompt("me@imap.example.org");
            QCOMPARE(password, accept ? std::optional<std::string>("s3cret") : std::nullopt);
        }
    }
};

} // namespace

std::unique_ptr<QObject> makePasswordPromptTest() {
    return std::make_unique<PasswordPromptTest>();
}

} // namespace desktoptest

#include "PasswordPromptTest.moc"
