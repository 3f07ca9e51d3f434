#include "desktop/TProfilePrompt.h"

#include "desktop/QtText.h"
#include "ui_TProfilePrompt.h"

#include <QApplication>
#include <QPushButton>

namespace desktop {

TProfilePrompt::TProfilePrompt(const std::vector<std::string>& names, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TProfilePrompt>()) {
    m_ui->setupUi(this);
    for (const std::string& name : names)
        m_ui->profileList->addItem(toQt(name));
    if (!names.empty())
        m_ui->profileList->setCurrentRow(0);
    QPushButton* ok = m_ui->promptButtons->button(QDialogButtonBox::Ok);
    ok->setEnabled(!names.empty());
    connect(m_ui->profileList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

TProfilePrompt::~TProfilePrompt() = default;

std::optional<mapi::ProfileChoice> TProfilePrompt::choice() const {
    const QListWidgetItem* item = m_ui->profileList->currentItem();
    if (result() != QDialog::Accepted || !item)
        return std::nullopt;
    return mapi::ProfileChoice{fromQt(item->text()), fromQt(m_ui->promptPassword->text())};
}

mapi::ProfilePrompt TProfilePrompt::hook() {
    return [](const std::vector<std::string>& names) -> std::optional<mapi::ProfileChoice> {
        TProfilePrompt prompt(names, QApplication::activeWindow());
        prompt.exec();
        return prompt.choice();
    };
}

} // namespace desktop
