#include "services/ShellOpen.h"

namespace services {

ShellOpenError::ShellOpenError(const std::string& target)
    : std::runtime_error("Shell command failed. It has been copied to the clipboard.\r\n" + target) {}

void shellOpen(DesktopOpener& opener, Clipboard& clipboard, const std::string& target) {
    if (opener.open(target))
        return;
    clipboard.setText(target);
    throw ShellOpenError(target);
}

} // namespace services
