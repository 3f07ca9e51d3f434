#include "desktop/TPasswordPrompt.h"

#include "desktop/QtText.h"
#include "ui_TPasswordPrompt.h"

#include <QApplication>

namespace desktop {

TPasswordPrompt::TPasswordPrompt(const std::string& account, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TPasswordPrompt>()) {
    m_ui->setupUi(this);
    m_ui->accountLabel->setText(QStringLiteral("Password for %1:").arg(toQt(account)));
    m_ui->accountPassword->setFocus();
}

TPasswordPrompt::~TPasswordPrompt() = default;

mapi::PasswordPrompt TPasswordPrompt::hook() {
    return [](const std::string& account) -> std::optional<std::string> {
        TPasswordPrompt prompt(account, QApplication::activeWindow());
        if (prompt.exec() != QDialog::Accepted)
            return std::nullopt;
        return fromQt(prompt.m_ui->accountPassword->text());
    };
}

} // namespace desktop
