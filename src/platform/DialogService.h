#pragma once
// Message boxes are reached through this interface, so the same code serves the Qt window, the
// console (which prints and answers questions on a terminal) and tests (which pre-set answers).

#include <string>

namespace platform {

enum class DialogKind { Warning, Error, Information, Confirmation };

enum class DialogButton : unsigned {
    Yes = 1u << 0,
    No = 1u << 1,
    OK = 1u << 2,
    Cancel = 1u << 3,
    Abort = 1u << 4,
    Retry = 1u << 5,
    Ignore = 1u << 6,
};

// A set of buttons, written as DialogButton::Yes | DialogButton::No.
class DialogButtons {
public:
    constexpr DialogButtons(DialogButton button) : m_bits(static_cast<unsigned>(button)) {}
    constexpr DialogButtons operator|(DialogButtons other) const {
        return DialogButtons(m_bits | other.m_bits);
    }
    constexpr bool contains(DialogButton button) const {
        return (m_bits & static_cast<unsigned>(button)) != 0;
    }
    constexpr bool operator==(const DialogButtons&) const = default;

private:
    constexpr explicit DialogButtons(unsigned bits) : m_bits(bits) {}
    unsigned m_bits;
};

constexpr DialogButtons operator|(DialogButton a, DialogButton b) {
    return DialogButtons(a) | DialogButtons(b);
}

class DialogService {
public:
    virtual ~DialogService() = default;

    // A modal box of `kind`, titled "Warning", "Error", "Information" or "Confirm" with the kind's
    // icon, centred on the screen, with `buttons` ("&Yes", "&No", "OK", ...) and, for a help
    // context above 0, a Help button that opens that topic. Returns the button pressed.
    virtual DialogButton MessageDialog(const std::string& text, DialogKind kind, DialogButtons buttons,
                                       int helpContext) = 0;

    // A modal information box with an OK button, titled with the main window's current caption.
    virtual void ShowInfo(const std::string& text) = 0;

    // The error box of a failed user action: `text` under `title` with a stop icon and an OK
    // button ("Application Error" for a run, the application title elsewhere).
    virtual void ErrorBox(const std::string& title, const std::string& text) = 0;
};

} // namespace platform
