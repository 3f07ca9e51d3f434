#include "desktop/QtDialogService.h"

#include "desktop/QtText.h"

#include <QMessageBox>
#include <QPushButton>

#include <array>
#include <utility>

namespace desktop {

namespace {

using platform::DialogButton;

constexpr std::array<std::pair<DialogButton, QMessageBox::StandardButton>, 7> kButtons{{
    {DialogButton::Yes, QMessageBox::Yes},
    {DialogButton::No, QMessageBox::No},
    {DialogButton::OK, QMessageBox::Ok},
    {DialogButton::Cancel, QMessageBox::Cancel},
    {DialogButton::Abort, QMessageBox::Abort},
    {DialogButton::Retry, QMessageBox::Retry},
    {DialogButton::Ignore, QMessageBox::Ignore},
}};

// Texts keep CR LF line ends from the program's own texts; a box shows plain line feeds.
QString boxText(const std::string& text) {
    return toQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

DialogButton QtDialogService::MessageDialog(const std::string& text, platform::DialogKind kind,
                                            platform::DialogButtons buttons, int) {
    QMessageBox box(m_owner);
    switch (kind) {
    case platform::DialogKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(QStringLiteral("Warning"));
        break;
    case platform::DialogKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setWindowTitle(QStringLiteral("Error"));
        break;
    case platform::DialogKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(QStringLiteral("Information"));
        break;
    case platform::DialogKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        box.setWindowTitle(QStringLiteral("Confirm"));
        break;
    }
    box.setText(boxText(text));
    QMessageBox::StandardButtons shown;
    for (const auto& [ours, theirs] : kButtons)
        if (buttons.contains(ours))
            shown |= theirs;
    box.setStandardButtons(shown);
    const int pressed = box.exec();
    for (const auto& [ours, theirs] : kButtons)
        if (pressed == theirs)
            return ours;
    // Closed by its frame: the box's escape button, else its only choice.
    return buttons.contains(DialogButton::Cancel) ? DialogButton::Cancel
           : buttons.contains(DialogButton::No)   ? DialogButton::No
                                                  : DialogButton::OK;
}

void QtDialogService::ShowInfo(const std::string& text) {
    QMessageBox box(m_owner);
    box.setWindowTitle(m_owner ? m_owner->windowTitle() : QStringLiteral("Larkspire"));
    box.setText(boxText(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void QtDialogService::ErrorBox(const std::string& title, const std::string& text) {
    QMessageBox box(m_owner);
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(toQt(title));
    box.setText(boxText(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

} // namespace desktop
