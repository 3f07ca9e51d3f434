#include "desktop/TTLangForm.h"

#include "desktop/QtText.h"
#include "desktop/WindowTranslation.h"
#include "i18n/LanguageChoice.h"
#include "i18n/LanguageFolder.h"
#include "platform/ProgramFolder.h"
#include "ui_TTLangForm.h"

#include <QMouseEvent>

namespace desktop {

TTLangForm::TTLangForm(platform::Hive* hive, std::function<void(const std::exception&)> showError,
                       QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TTLangForm>()) {
    m_ui->setupUi(this);
    m_placement = std::make_unique<WindowPlacement>(*this, services::languageChooserPlacement(), hive);
    const std::exception_ptr error = translateWindow(*this, "TTLangForm");
    // The link keeps a font of its own, blue and underlined.
    QFont linkFont = m_ui->online->font();
    linkFont.setUnderline(true);
    m_ui->online->setFont(linkFont);
    m_ui->online->setStyleSheet(QStringLiteral("color: blue"));
    m_ui->online->installEventFilter(this);
    ListLanguages(platform::programFolder());
    m_ui->languages->setFocus();
    reportLater(*this, error, std::move(showError));
}

TTLangForm::~TTLangForm() {
    m_placement->save();
}

void TTLangForm::ListLanguages(const std::string& programFolder) {
    // In the order given, sorted without regard to case; the list's own sorting would heed it.
    m_ui->languages->clear();
    for (const std::string& language : i18n::ListLanguages(programFolder))
        m_ui->languages->addItem(toQt(language));
}

void TTLangForm::SelectLanguage(const std::string& current) {
    std::vector<std::string> entries;
    for (int i = 0; i < m_ui->languages->count(); ++i)
        entries.push_back(fromQt(m_ui->languages->item(i)->text()));
    if (const auto index = i18n::SelectLanguage(entries, current))
        m_ui->languages->setCurrentRow(static_cast<int>(*index));
}

std::optional<std::string> TTLangForm::SelectedLanguage() const {
    const QListWidgetItem* item = m_ui->languages->currentItem();
    if (!item)
        return std::nullopt;
    return fromQt(item->text());
}

bool TTLangForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->online && event->type() == QEvent::MouseButtonRelease && OnMoreLanguages)
        OnMoreLanguages(m_ui->online);
    return QDialog::eventFilter(watched, event);
}

} // namespace desktop
