#pragma once
// The desktop's opener and clipboard behind the shell-open rules: documents, folders and web
// addresses go to the desktop's default handler (xdg-open through Qt), text to Qt's clipboard.

#include "services/ShellOpen.h"

namespace desktop {

class QtDesktopOpener : public services::DesktopOpener {
public:
    // An address with a scheme as it is; anything else as a local file or folder.
    bool open(const std::string& target) override;
};

class QtClipboard : public services::Clipboard {
public:
    void setText(const std::string& text) override;
};

} // namespace desktop
