// The program's entry point. Until the Qt window exists every start runs the console front end;
// "--console" chooses it explicitly, and so does a session without a display.

#include "mapi/ProfileSubsystem.h"
#include "mapi/Profiles.h"
#include "mapi/StoreProvider.h"
#include "mapi/imap/ImapProvider.h"
#include "mapi/maildir/MaildirProvider.h"
#include "platform/Hive.h"
#include "ui/ConsoleApp.h"
#include "ui/Options.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

int terminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS"))
        return std::atoi(columns);
    return 80;
}

std::shared_ptr<mapi::IMapi> makeMailSubsystem(ui::ConsoleDialogs& dialogs) {
    auto registry = std::make_shared<mapi::ProviderRegistry>();
    mapi::registerMaildirProvider(*registry);
    mapi::registerImapProvider(*registry, {.prompt = dialogs.passwordPrompt(), .beforeCommand = {}});
    auto subsystem = std::make_shared<mapi::ProfileSubsystem>(
        mapi::profilesFromEnvironment(mapi::processEnvironment()), registry);
    subsystem->setPrompt(dialogs.profilePrompt());
    return subsystem;
}

// "--help" and "--version" alone answer without the start-up, which would write to the registry.
bool onlyInformation(const std::vector<std::string>& arguments) {
    if (arguments.empty())
        return false;
    for (const std::string& argument : arguments)
        if (argument != "--help" && argument != "--version")
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && arguments.front() == "--console")
        arguments.erase(arguments.begin());

    if (onlyInformation(arguments)) {
        for (const std::string& argument : arguments)
            std::cout << (argument == "--help" ? ui::Options::helpText()
                                               : ui::Options::versionText(LARKSPIRE_VERSION));
        return ui::ExitSuccess;
    }

    const ui::ConsoleEnvironment environment{.in = std::cin,
                                             .out = std::cout,
                                             .err = std::cerr,
                                             .inputIsTerminal = ::isatty(STDIN_FILENO) == 1,
                                             .errorIsTerminal = ::isatty(STDERR_FILENO) == 1,
                                             .columns = terminalColumns(),
                                             .hiveFile = platform::defaultHivePath(),
                                             .version = LARKSPIRE_VERSION,
                                             .makeMapi = makeMailSubsystem};
    return ui::runConsole(arguments, environment);
}
