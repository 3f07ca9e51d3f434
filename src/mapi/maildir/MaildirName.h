#pragma once
// Maildir file names: "<unique>[:2,<flags>]". The unique part names the message for good, except
// for the size markers ",S=<bytes>" and ",W=<bytes with CR LF line ends>" that other tools put
// into it and that must follow the file's size; a message's key is therefore the unique part
// without those markers, and it stays the same across flag changes, moves and rewrites.

#include <cstdint>
#include <string>
#include <string_view>

namespace mapi {

struct MaildirName {
    std::string unique; // everything before ":2,"
    std::string flags;  // the letters after ":2,", in the order found
    bool hasInfo = false;

    static MaildirName parse(std::string_view fileName);
    std::string fileName() const;
    bool hasFlag(char flag) const;
    // The name with `flag` added or removed; flags are kept in ASCII order, as Maildir asks.
    MaildirName withFlag(char flag, bool on) const;
    // The name a message has in cur/ (a name from new/ gains an empty info part).
    MaildirName inCur() const;
    // The name with its size markers (only those present) set for a file of this content.
    MaildirName withSizesOf(std::string_view content) const;
};

// The unique part without its size markers.
std::string messageKey(std::string_view unique);

// Dot files are other tools' bookkeeping, never messages.
bool isMessageFileName(std::string_view fileName);

} // namespace mapi
