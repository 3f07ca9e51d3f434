#pragma once
// Handing a document, folder or web address to the desktop. A failure never goes unseen: the
// target is put on the clipboard first, and the error names it, so the user can paste it by hand.

#include <stdexcept>
#include <string>

namespace services {

// The desktop's default handler for documents, folders and addresses.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // False when no handler took the target.
    virtual bool open(const std::string& target) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
};

// "Shell command failed. It has been copied to the clipboard.\r\n<target>"; never translated.
class ShellOpenError : public std::runtime_error {
public:
    explicit ShellOpenError(const std::string& target);
};

// Opens `target`; when the desktop cannot, puts it on the clipboard and throws ShellOpenError.
void shellOpen(DesktopOpener& opener, Clipboard& clipboard, const std::string& target);

} // namespace services
