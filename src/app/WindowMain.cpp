// The window program, started by the program in place of itself when the session has a display:
// a run from the console, from cron or from a script never loads the window's libraries.

#include "MailSubsystem.h"
#include "desktop/DesktopApp.h"
#include "platform/DateTime.h"
#include "platform/Hive.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    platform::keepSystemTimeZone();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return desktop::runDesktop(argc, argv, arguments,
                               desktop::DesktopEnvironment{.hiveFile = platform::defaultHivePath(),
                                                           .version = LARKSPIRE_VERSION,
                                                           .makeMapi = app::makeMailSubsystem});
}
