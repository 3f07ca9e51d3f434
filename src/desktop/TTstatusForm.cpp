#include "desktop/TTstatusForm.h"

#include "desktop/QtText.h"
#include "desktop/WindowTranslation.h"
#include "ui_TTstatusForm.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <utility>

namespace desktop {

TTstatusForm::TTstatusForm(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::TTstatusForm>()) {
    m_ui->setupUi(this);
    m_translationError = translateWindow(*this, "TTstatusForm");
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    m_ui->PageControl1->setCurrentWidget(m_ui->TabSheet1);
    const int rowHeight = m_ui->Label1->sizeHint().height() + 1;
    m_ui->Exceptions->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_ui->Exceptions->horizontalHeader()->setFixedHeight(rowHeight);
    m_ui->Exceptions->setColumnWidth(0, 421);
    m_ui->PageControl1->setTabVisible(m_ui->PageControl1->indexOf(m_ui->exceptionsSheet), false);
    m_ui->cancelButton->setAutoDefault(false);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &TTstatusForm::cancelButtonClick);
}

TTstatusForm::~TTstatusForm() = default;

void TTstatusForm::setStatusLine(const QString& text) {
    m_ui->statusText->setText(text);
    m_ui->statusText->repaint();
}

void TTstatusForm::setProgress(int percent) {
    m_ui->taskProgress->setValue(percent);
    m_ui->taskProgress->repaint();
}

void TTstatusForm::setSubject(const QString& text) {
    m_ui->emailSubject->setText(text);
}

void TTstatusForm::finish() {
    m_kind = ButtonKind::OK;
    m_ui->cancelButton->setText(QStringLiteral("&OK"));
    m_ui->cancelButton->setDefault(true);
    m_ui->cancelButton->setFocus();
}

void TTstatusForm::cancelButtonClick() {
    if (m_kind == ButtonKind::Cancel) {
        m_cancelFlag = true;
        m_kind = ButtonKind::Close;
        m_ui->cancelButton->setText(QStringLiteral("&Close"));
        m_ui->cancelButton->setDefault(false);
        return;
    }
    close();
}

void TTstatusForm::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button's key only while it is one; the dialog's own Esc would close it.
    if (event->key() == Qt::Key_Escape) {
        if (m_kind == ButtonKind::Cancel)
            cancelButtonClick();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TTstatusForm::done(int result) {
    QDialog::done(result);
    emit closed();
    deleteLater();
}

void StatusWindowSink::show() {
    if (!m_form)
        return;
    m_form->show();
    m_form->raise();
    m_form->activateWindow();
}

StatusWindowSink::StatusWindowSink(TTstatusForm* form) : m_form(form) {
    m_drawLater.setSingleShot(true);
    QObject::connect(&m_drawLater, &QTimer::timeout, &m_drawLater, [this] { draw(); });
}

void StatusWindowSink::setStatusLine(const std::string& text) {
    m_statusLine = text;
    changed();
}

void StatusWindowSink::setProgress(int percent) {
    m_progress = percent;
    changed();
}

void StatusWindowSink::setSubject(const std::string& text) {
    m_subject = text;
    changed();
}

void StatusWindowSink::changed() {
    const auto interval = std::chrono::duration_cast<std::chrono::milliseconds>(kRedrawInterval).count();
    if (!m_sinceDraw.isValid() || m_sinceDraw.elapsed() >= interval)
        draw();
    else if (!m_drawLater.isActive())
        m_drawLater.start(static_cast<int>(interval - m_sinceDraw.elapsed()));
}

void StatusWindowSink::draw() {
    m_drawLater.stop();
    m_sinceDraw.start();
    if (!m_form)
        return;
    if (m_statusLine)
        m_form->setStatusLine(toQt(*std::exchange(m_statusLine, std::nullopt)));
    if (m_progress)
        m_form->setProgress(*std::exchange(m_progress, std::nullopt));
    if (m_subject)
        m_form->setSubject(toQt(*std::exchange(m_subject, std::nullopt)));
}

bool StatusWindowSink::cancelled() const {
    return !m_form || m_form->cancelFlag();
}

void StatusWindowSink::finish() {
    draw();
    if (m_form)
        m_form->finish();
}

void StatusWindowSink::processPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace desktop
