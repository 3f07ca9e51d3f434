#pragma once
// The message boxes of the window: Qt message boxes with the kind's title and icon. The
// information box takes the main window's caption at the moment it is shown.

#include "platform/DialogService.h"

#include <QPointer>
#include <QWidget>

namespace desktop {

class QtDialogService : public platform::DialogService {
public:
    // Boxes are centred over `owner` while it exists; its caption titles ShowInfo.
    void setOwner(QWidget* owner) { m_owner = owner; }

    platform::DialogButton MessageDialog(const std::string& text, platform::DialogKind kind,
                                         platform::DialogButtons buttons, int helpContext) override;
    void ShowInfo(const std::string& text) override;
    void ErrorBox(const std::string& title, const std::string& text) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace desktop
