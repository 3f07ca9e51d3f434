#pragma once
// The program without a window: the main window's start-up, the arguments carried out in order,
// and the end "/Q" gives (no question, settings not written to the registry). The exit status
// tells a script how it went: 0 all well, 1 an error was shown or a run was interrupted, 2 the
// command line was invalid.

#include "mapi/Interfaces.h"
#include "ui/ConsoleDialogs.h"

#include <filesystem>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace ui {

enum ExitStatus : int { ExitSuccess = 0, ExitErrorShown = 1, ExitInvalidCommandLine = 2 };

struct ConsoleEnvironment {
    std::istream& in;
    std::ostream& out; // listings, help, the addresses "shell open" would open
    std::ostream& err; // status lines and message boxes
    bool inputIsTerminal = false;
    bool errorIsTerminal = false;
    int columns = 80;
    std::filesystem::path hiveFile;
    std::string version;
    // The mail subsystem; its login prompt may ask through the console's message boxes.
    std::function<std::shared_ptr<mapi::IMapi>(ConsoleDialogs&)> makeMapi;
};

int runConsole(const std::vector<std::string>& arguments, const ConsoleEnvironment& environment);

} // namespace ui
