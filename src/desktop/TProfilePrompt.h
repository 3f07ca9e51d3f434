#pragma once
// The login prompt of login choice "Prompt": the profiles of the profiles file in a list, and a
// password for the stores that need one. It fills the mail subsystem's prompt hook.

#include "mapi/ProfileSubsystem.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TProfilePrompt;
}

namespace desktop {

class TProfilePrompt : public QDialog {
    Q_OBJECT
public:
    TProfilePrompt(const std::vector<std::string>& names, QWidget* parent = nullptr);
    ~TProfilePrompt() override;

    // The profile chosen, once the dialog ended with OK and a profile selected.
    std::optional<mapi::ProfileChoice> choice() const;

    // The prompt hook: shows the dialog modally; none when cancelled.
    static mapi::ProfilePrompt hook();

private:
    std::unique_ptr<Ui::TProfilePrompt> m_ui;
};

} // namespace desktop
