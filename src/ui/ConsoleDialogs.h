#pragma once
// Message boxes of the console: the text goes to the error stream; a question is asked on a
// terminal and answered "No" (or "Cancel") when input is not a terminal, so an unattended job
// never waits and never replaces a file it was not told to.

#include "mapi/PasswordPrompt.h"
#include "mapi/ProfileSubsystem.h"
#include "platform/DialogService.h"

#include <functional>
#include <istream>
#include <ostream>

namespace ui {

class ConsoleDialogs : public platform::DialogService {
public:
    // `interactive`: `in` is a terminal the user answers on.
    ConsoleDialogs(std::istream& in, std::ostream& err, bool interactive);

    platform::DialogButton MessageDialog(const std::string& text, platform::DialogKind kind,
                                         platform::DialogButtons buttons, int helpContext) override;
    void ShowInfo(const std::string& text) override;
    // The title is a window's: the console prints the text as any other error.
    void ErrorBox(const std::string& title, const std::string& text) override;

    // Called before a box is printed, so a status line in progress can end its line first.
    void setBeforeOutput(std::function<void()> hook) { m_beforeOutput = std::move(hook); }
    // How many error and warning boxes were shown.
    int problemsShown() const { return m_problems; }

    // The login prompt of choice "Prompt": a profile chosen by name or number on a terminal;
    // cancelled without one.
    mapi::ProfilePrompt profilePrompt();
    // A mail server's password, asked on a terminal without echo; none when input is not a
    // terminal, so an unattended job never waits for one.
    mapi::PasswordPrompt passwordPrompt();

private:
    void print(const std::string& heading, const std::string& text);
    platform::DialogButton ask(platform::DialogButtons buttons);

    std::istream& m_in;
    std::ostream& m_err;
    bool m_interactive;
    std::function<void()> m_beforeOutput;
    int m_problems = 0;
};

// Text as a terminal shows it: CR LF and lone CRs become line feeds.
std::string consoleText(const std::string& text);

} // namespace ui
