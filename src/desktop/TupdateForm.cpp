#include "desktop/TupdateForm.h"

#include "desktop/QtText.h"
#include "desktop/WindowTranslation.h"
#include "services/ProductLinks.h"
#include "ui_TupdateForm.h"

#include <QCoreApplication>

namespace desktop {

namespace {

const QDate kDayZero(1899, 12, 30);

// The text with its one "%s" filled in.
QString withProduct(QString text, const QString& product) {
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    return at < 0 ? text : text.replace(at, 2, product);
}

} // namespace

TupdateForm::TupdateForm(services::UpdateSchedule& schedule, services::UpdateCheckServices services,
                         platform::Hive* hive, std::function<void(const std::exception&)> showError,
                         QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TupdateForm>()), m_showError(std::move(showError)) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setProperty("helpContext", 1350);
    m_placement = std::make_unique<WindowPlacement>(*this, services::updateWindowPlacement(), hive);
    const std::exception_ptr error = translateWindow(*this, "TupdateForm");
    const QString product = toQt(std::string(services::kProductName));
    setWindowTitle(withProduct(windowTitle(), product));
    m_ui->GroupBox1->setTitle(
        withProduct(m_ui->GroupBox1->title(), product + " v" + toQt(std::string(services::kProductVersion))));
    m_ui->checkWeb->setToolTip(withProduct(m_ui->checkWeb->toolTip(), product));
    m_ui->nextDate->setDate(kDayZero.addDays(schedule.pickerDate(services::todaySerial())));
    if (!services.post)
        // The completion runs on the window's thread; THTTPGet drops it once the request is stopped.
        services.post = [showError = m_showError](std::function<void()> task) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [task = std::move(task), showError] {
                    try {
                        task();
                    } catch (const std::exception& e) {
                        showError(e);
                    }
                },
                Qt::QueuedConnection);
        };
    m_check = std::make_unique<services::UpdateCheck>(*this, schedule, std::move(services));
    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { okButtonClick(); });
    reportLater(*this, error, m_showError);
}

TupdateForm::~TupdateForm() {
    m_placement->save();
}

void TupdateForm::setStatusText(const std::string& text) {
    m_ui->StatusBar->showMessage(toQt(text));
}

void TupdateForm::okButtonClick() {
    if (m_closeButton) {
        close();
        return;
    }
    m_closeButton = true;
    m_ui->okButton->setText(QStringLiteral("&Close"));
    try {
        m_check->okButtonClick(m_ui->dontAsk->isChecked(),
                               static_cast<std::int32_t>(kDayZero.daysTo(m_ui->nextDate->date())));
    } catch (const std::exception& e) {
        m_showError(e);
    }
}

} // namespace desktop
