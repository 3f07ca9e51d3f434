#pragma once
// The program with its window: the Qt application, the main window, the request channel's
// server and the message loop, until the main window closes.

#include "mapi/PasswordPrompt.h"
#include "mapi/ProfileSubsystem.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace desktop {

struct DesktopEnvironment {
    std::filesystem::path hiveFile;
    std::string version;
    // The mail subsystem with the window's password prompt; the window fills its login prompt.
    std::function<std::shared_ptr<mapi::ProfileSubsystem>(mapi::PasswordPrompt)> makeMapi;
};

int runDesktop(int& argc, char** argv, const std::vector<std::string>& arguments,
               const DesktopEnvironment& environment);

} // namespace desktop
