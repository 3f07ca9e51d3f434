#pragma once
// The password of a mail account that needs one (an IMAP server), asked in a dialog without echo.
// It is the mail subsystem's password prompt in the window.

#include "mapi/PasswordPrompt.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class TPasswordPrompt;
}

namespace desktop {

class TPasswordPrompt : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordPrompt(const std::string& account, QWidget* parent = nullptr);
    ~TPasswordPrompt() override;

    // Shows the dialog modally over the active window; none when cancelled.
    static mapi::PasswordPrompt hook();

private:
    std::unique_ptr<Ui::TPasswordPrompt> m_ui;
};

} // namespace desktop
