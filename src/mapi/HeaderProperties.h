#pragma once
// The properties of a message's listing row made from its header block, for stores whose
// delivery time, size and read state come from elsewhere than a file (an IMAP server's
// INTERNALDATE, RFC822.SIZE and \Seen): subject, sender's bare address and the display lists
// decoded to UTF-8, the submit time from Date: (else the delivery time), the attachment guess.

#include "mapi/PropValue.h"

#include <cstdint>
#include <string_view>

namespace mapi {

struct MessageFacts {
    FileTime delivered;
    std::uint64_t size = 0;
    bool read = false;
    std::int32_t storeSupportMask = 0;
};

Row headerProperties(std::string_view header, const MessageFacts& facts, const Binary& entryId);

} // namespace mapi
