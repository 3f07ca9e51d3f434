#pragma once
// The tip of the day: one tip of the tips file with its title, paging both ways with wrap-around,
// and "Show Tips at Startup". ShowTipOfTheDay drives it; it lives for one showing.

#include "platform/DialogService.h"
#include "services/TipOfTheDay.h"

#include <QDialog>

#include <exception>
#include <filesystem>
#include <functional>
#include <memory>

namespace Ui {
class TfTipOfTheDay;
}

namespace desktop {

class TfTipOfTheDay : public QDialog, public services::TipDialog {
    Q_OBJECT
public:
    // `tipsFile` is TIPS.TXT of the program folder; `dialogs` shows the notice of a cleared check
    // box; `showError` is the application's error box.
    TfTipOfTheDay(const std::filesystem::path& tipsFile, platform::DialogService& dialogs,
                  std::function<void(const std::exception&)> showError, QWidget* parent = nullptr);
    ~TfTipOfTheDay() override;

    services::TipBrowser& tips() override { return m_tips; }
    void showTip() override;
    void setShowTips(bool on) override;
    bool showTips() const override;
    void showModal() override;

private:
    // Either arrow: a tip that is not a valid format leaves the text shown before.
    void bClick(bool next);

    std::unique_ptr<Ui::TfTipOfTheDay> m_ui;
    services::TipBrowser m_tips;
    std::function<void(const std::exception&)> m_showError;
};

} // namespace desktop
