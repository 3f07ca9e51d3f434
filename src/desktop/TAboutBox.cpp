#include "desktop/TAboutBox.h"

#include "desktop/QtText.h"
#include "services/ProductLinks.h"
#include "ui_TAboutBox.h"

namespace desktop {

TAboutBox::TAboutBox(const QString& version, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TAboutBox>()) {
    m_ui->setupUi(this);
    const QString product = toQt(std::string(services::kProductName));
    setWindowTitle(QStringLiteral("About ") + product);
    m_ui->ProductName->setText(product);
    m_ui->Version->setText(QStringLiteral("Version ") + version);
    m_ui->Copyright->setText(QStringLiteral("Copyright \u00a9 Quenby Software"));
}

TAboutBox::~TAboutBox() = default;

} // namespace desktop
