#pragma once
// The update check's dialog: check the maker's site now, or be reminded later. It is not modal;
// the request runs on a worker and its outcome arrives on this window's thread. Closing the window
// releases it and stops the request, so nothing of it is shown afterwards.

#include "desktop/WindowPlacement.h"
#include "services/UpdateCheck.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <memory>

namespace Ui {
class TupdateForm;
}

namespace desktop {

class TupdateForm : public QDialog, public services::UpdateView {
    Q_OBJECT
public:
    // `schedule` is the main window's; `services.post` may be left empty (this window's thread).
    TupdateForm(services::UpdateSchedule& schedule, services::UpdateCheckServices services,
                platform::Hive* hive, std::function<void(const std::exception&)> showError,
                QWidget* parent = nullptr);
    ~TupdateForm() override;

    bool visible() const override { return isVisible(); }
    void setStatusText(const std::string& text) override;
    void close() override { QDialog::close(); }

private:
    void okButtonClick();

    std::unique_ptr<Ui::TupdateForm> m_ui;
    std::unique_ptr<WindowPlacement> m_placement;
    std::function<void(const std::exception&)> m_showError;
    std::unique_ptr<services::UpdateCheck> m_check;
    bool m_closeButton = false; // OK was pressed: the button closes the dialog
};

} // namespace desktop
