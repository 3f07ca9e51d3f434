#pragma once
// The status window of one run: the status line, the progress bar, the subject and the button
// that goes Cancel -> Close, or to OK when the run finishes. It is released when it closes,
// whatever closed it; `closed` tells its owner at once, before the object itself goes.

#include "engine/StatusSink.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TTstatusForm;
}

namespace desktop {

class TTstatusForm : public QDialog {
    Q_OBJECT
public:
    enum class ButtonKind { Cancel, Close, OK };

    explicit TTstatusForm(QWidget* parent = nullptr);
    ~TTstatusForm() override;

    // The language file's malformed escape met while the window was translated, for its owner to show.
    std::exception_ptr translationError() const { return m_translationError; }

    void setStatusLine(const QString& text);
    void setProgress(int percent);
    void setSubject(const QString& text);
    bool cancelFlag() const { return m_cancelFlag; }
    void finish();
    ButtonKind buttonKind() const { return m_kind; }

signals:
    void closed();

public slots:
    void cancelButtonClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    std::unique_ptr<Ui::TTstatusForm> m_ui;
    std::exception_ptr m_translationError;
    ButtonKind m_kind = ButtonKind::Cancel;
    bool m_cancelFlag = false;
};

// The run's view of a status window. The window may be closed while the run holds this: every
// call checks it first, and a closed window counts as a cancel. The texts reach the window at
// most every kRedrawInterval, the last of them always: drawing them for every message of a large
// folder would cost far more than the run itself.
class StatusWindowSink : public engine::StatusSink {
public:
    static constexpr std::chrono::milliseconds kRedrawInterval{40};

    explicit StatusWindowSink(TTstatusForm* form);

    void show() override;
    void setStatusLine(const std::string& text) override;
    void setProgress(int percent) override;
    void setSubject(const std::string& text) override;
    bool cancelled() const override;
    void finish() override;
    void processPendingEvents() override;

    TTstatusForm* form() const { return m_form; }

private:
    void changed();
    void draw();

    QPointer<TTstatusForm> m_form;
    std::optional<std::string> m_statusLine;
    std::optional<std::string> m_subject;
    std::optional<int> m_progress;
    QElapsedTimer m_sinceDraw;
    QTimer m_drawLater;
};

} // namespace desktop
