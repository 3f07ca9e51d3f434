#include "desktop/TfTipOfTheDay.h"

#include "desktop/QtText.h"
#include "desktop/WindowTranslation.h"
#include "ui_TfTipOfTheDay.h"

#include <QStyle>

namespace desktop {

TfTipOfTheDay::TfTipOfTheDay(const std::filesystem::path& tipsFile, platform::DialogService& dialogs,
                             std::function<void(const std::exception&)> showError, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfTipOfTheDay>()), m_tips(services::readTipsFile(tipsFile)),
      m_showError(std::move(showError)) {
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    const std::exception_ptr error = translateWindow(*this, "TfTipOfTheDay");
    QPalette white = m_ui->Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_ui->Panel1->setPalette(white);
    QFont titleFont = m_ui->lTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    m_ui->lTitle->setFont(titleFont);
    m_ui->iBulb->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    m_ui->bPrevious->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_ui->bNext->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_ui->bPrevious->setEnabled(!m_tips.noTips());
    m_ui->bNext->setEnabled(!m_tips.noTips());
    connect(m_ui->bPrevious, &QPushButton::clicked, this, [this] { bClick(false); });
    connect(m_ui->bNext, &QPushButton::clicked, this, [this] { bClick(true); });
    connect(m_ui->cbShowTips, &QCheckBox::clicked, this,
            [&dialogs](bool checked) { services::showTipsClicked(checked, dialogs); });
    reportLater(*this, error, m_showError);
}

TfTipOfTheDay::~TfTipOfTheDay() = default;

void TfTipOfTheDay::showTip() {
    if (m_tips.noTips())
        return;
    m_ui->lTitle->setText(toQt(m_tips.title()));
    m_ui->lTip->setText(toQt(m_tips.text()));
}

void TfTipOfTheDay::setShowTips(bool on) {
    m_ui->cbShowTips->setChecked(on);
}

bool TfTipOfTheDay::showTips() const {
    return m_ui->cbShowTips->isChecked();
}

void TfTipOfTheDay::showModal() {
    exec();
}

void TfTipOfTheDay::bClick(bool next) {
    if (next)
        m_tips.next();
    else
        m_tips.previous();
    try {
        showTip();
    } catch (const std::exception& error) {
        m_showError(error);
    }
}

} // namespace desktop
