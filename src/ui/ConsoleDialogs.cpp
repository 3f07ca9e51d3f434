#include "ui/ConsoleDialogs.h"

#include "platform/Locale.h"

#include <string>
#include <termios.h>
#include <unistd.h>

namespace ui {

namespace {

using platform::DialogButton;

std::string heading(platform::DialogKind kind) {
    switch (kind) {
    case platform::DialogKind::Warning:
        return "Warning";
    case platform::DialogKind::Error:
        return "Error";
    case platform::DialogKind::Information:
        return "Information";
    case platform::DialogKind::Confirmation:
        return "Confirm";
    }
    return {};
}

} // namespace

std::string consoleText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

ConsoleDialogs::ConsoleDialogs(std::istream& in, std::ostream& err, bool interactive)
    : m_in(in), m_err(err), m_interactive(interactive) {}

void ConsoleDialogs::print(const std::string& title, const std::string& text) {
    if (m_beforeOutput)
        m_beforeOutput();
    m_err << title << ": " << consoleText(text) << "\n";
    m_err.flush();
}

platform::DialogButton ConsoleDialogs::MessageDialog(const std::string& text, platform::DialogKind kind,
                                                     platform::DialogButtons buttons, int) {
    print(heading(kind), text);
    if (kind == platform::DialogKind::Error || kind == platform::DialogKind::Warning)
        ++m_problems;
    if (buttons.contains(DialogButton::Yes) || buttons.contains(DialogButton::No))
        return ask(buttons);
    if (buttons.contains(DialogButton::OK))
        return DialogButton::OK;
    return buttons.contains(DialogButton::Cancel) ? DialogButton::Cancel : DialogButton::OK;
}

platform::DialogButton ConsoleDialogs::ask(platform::DialogButtons buttons) {
    const bool canCancel = buttons.contains(DialogButton::Cancel);
    const DialogButton refusal = buttons.contains(DialogButton::No) ? DialogButton::No : DialogButton::Cancel;
    if (!m_interactive) {
        m_err << "(answered " << (refusal == DialogButton::No ? "No" : "Cancel")
              << ": standard input is not a terminal)\n";
        return refusal;
    }
    const std::string choices = canCancel ? "[y/n/c] " : "[y/n] ";
    std::string line;
    for (;;) {
        m_err << choices;
        m_err.flush();
        if (!std::getline(m_in, line))
            return refusal;
        const std::string answer = platform::upperCaseUtf8(line);
        if (answer == "Y" || answer == "YES")
            return DialogButton::Yes;
        if (answer == "N" || answer == "NO")
            return DialogButton::No;
        if (canCancel && (answer == "C" || answer == "CANCEL"))
            return DialogButton::Cancel;
    }
}

void ConsoleDialogs::ShowInfo(const std::string& text) {
    if (m_beforeOutput)
        m_beforeOutput();
    m_err << consoleText(text) << "\n";
    m_err.flush();
}

void ConsoleDialogs::ErrorBox(const std::string&, const std::string& text) {
    MessageDialog(text, platform::DialogKind::Error, DialogButton::OK, 0);
}

mapi::ProfilePrompt ConsoleDialogs::profilePrompt() {
    return [this](const std::vector<std::string>& names) -> std::optional<mapi::ProfileChoice> {
        if (!m_interactive || names.empty())
            return std::nullopt;
        if (m_beforeOutput)
            m_beforeOutput();
        m_err << "Choose a mail profile:\n";
        for (std::size_t i = 0; i < names.size(); ++i)
            m_err << "  " << i + 1 << ". " << names[i] << "\n";
        std::string line;
        for (;;) {
            m_err << "Profile (name or number, empty to cancel): ";
            m_err.flush();
            if (!std::getline(m_in, line) || line.empty())
                return std::nullopt;
            for (std::size_t i = 0; i < names.size(); ++i)
                if (line == std::to_string(i + 1) ||
                    platform::upperCaseUtf8(line) == platform::upperCaseUtf8(names[i]))
                    return mapi::ProfileChoice{names[i], {}};
        }
    };
}

mapi::PasswordPrompt ConsoleDialogs::passwordPrompt() {
    if (!m_interactive)
        return {};
    return [this](const std::string& account) -> std::optional<std::string> {
        if (m_beforeOutput)
            m_beforeOutput();
        // Echo goes off before the question shows: what is typed once it is there is neither
        // echoed nor discarded with the input typed ahead.
        termios saved{};
        const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
        if (terminal) {
            termios silent = saved;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
        }
        m_err << "Password for " << account << ": ";
        m_err.flush();
        std::string line;
        const bool answered = static_cast<bool>(std::getline(m_in, line));
        if (terminal)
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        m_err << "\n";
        if (!answered || line.empty())
            return std::nullopt;
        return line;
    };
}

} // namespace ui
