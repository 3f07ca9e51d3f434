// The program's entry point: the window when the session has a display (the window program
// beside this one, started in its place), else the console face; "--console" chooses the console
// explicitly. "--dde-execute=TEXT" hands one request to the running program and ends.

#include "MailSubsystem.h"
#include "platform/DateTime.h"
#include "platform/Hive.h"
#include "platform/ProgramFolder.h"
#include "ui/ConsoleApp.h"
#include "ui/Options.h"
#include "ui/RequestChannel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

std::shared_ptr<mapi::IMapi> makeConsoleMailSubsystem(ui::ConsoleDialogs& dialogs) {
    auto subsystem = app::makeMailSubsystem(dialogs.passwordPrompt());
    subsystem->setPrompt(dialogs.profilePrompt());
    return subsystem;
}

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    return false;
}

std::filesystem::path requestSocket(const char* programPath) {
    return ui::requestSocketPath(ui::requestFolder(), ui::requestService(programPath));
}

// Exit status 0 once the running program acknowledged the request, 1 when none listens.
int sendRequest(const std::string& text, const char* programPath) {
    try {
        const auto socket = requestSocket(programPath);
        if (ui::sendRequest(socket, text))
            return ui::ExitSuccess;
        std::cerr << "larkspire: no running Larkspire answers at " << socket.string() << "\n";
    } catch (const std::exception& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
    }
    return ui::ExitErrorShown;
}

// An option file opened from the desktop (its entry runs "larkspire %f"): true when a running copy
// took it over the request channel.
bool openedByRunningCopy(const std::filesystem::path& file, const char* programPath) {
    try {
        return ui::sendRequest(requestSocket(programPath), "[FileOpen(\"" + file.string() + "\")]");
    } catch (const std::exception&) {
        return false;
    }
}

// Replaces this process with the window program, handing it the program's name and `arguments`;
// returns only when that cannot be done.
int runWindow(const char* programPath, const std::vector<std::string>& arguments) {
    std::string window;
    try {
        window = platform::programFolder() + "larkspire-window";
    } catch (const std::exception& error) {
        std::cerr << "larkspire: the window cannot be started: " << error.what() << "\n";
        return ui::ExitErrorShown;
    }
    std::vector<char*> argv{const_cast<char*>(programPath)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(window.c_str(), argv.data());
    std::cerr << "larkspire: the window cannot be started: " << window << ": " << std::strerror(errno)
              << " (larkspire --console runs without it)\n";
    return ui::ExitErrorShown;
}

bool namesRegularFile(const std::string& argument) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(argument, ignored);
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
    platform::keepSystemTimeZone();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    constexpr std::string_view kRequestOption = "--dde-execute=";
    if (arguments.size() == 1 && arguments.front().starts_with(kRequestOption))
        return sendRequest(arguments.front().substr(kRequestOption.size()), argv[0]);
    if (arguments.size() == 1 && namesRegularFile(arguments.front())) {
        const std::filesystem::path file = std::filesystem::absolute(arguments.front());
        if (openedByRunningCopy(file, argv[0]))
            return ui::ExitSuccess;
        arguments = {"/F=" + file.string()};
    }
    const bool console = !arguments.empty() && arguments.front() == "--console";
    if (console)
        arguments.erase(arguments.begin());

    if (onlyInformation(arguments)) {
        for (const std::string& argument : arguments)
            std::cout << (argument == "--help" ? ui::Options::helpText()
                                               : ui::Options::versionText(LARKSPIRE_VERSION));
        return ui::ExitSuccess;
    }

    if (!console && hasDisplay())
        return runWindow(argv[0], arguments);

    const ui::ConsoleEnvironment environment{.in = std::cin,
                                             .out = std::cout,
                                             .err = std::cerr,
                                             .inputIsTerminal = ::isatty(STDIN_FILENO) == 1,
                                             .errorIsTerminal = ::isatty(STDERR_FILENO) == 1,
                                             .columns = terminalColumns(),
                                             .hiveFile = platform::defaultHivePath(),
                                             .version = LARKSPIRE_VERSION,
                                             .makeMapi = makeConsoleMailSubsystem};
    return ui::runConsole(arguments, environment);
}
