#pragma once
// The flags mbox clients keep in each message's header. Unix mail readers write "Status:" (R read,
// O seen as old) and "X-Status:" (answered, flagged, deleted); the desktop clients write
// "X-Mozilla-Status:", four hex digits whose bit 0x0001 is read and 0x0008 expunged, and update it
// in place, so its width never changes. Where both stand, X-Mozilla-Status is the newer word.

#include "mapi/mime/HeaderBlock.h"

#include <string>
#include <string_view>

namespace mapi {

struct MboxFlags {
    bool read = false;
    bool expunged = false; // deleted by a desktop client and waiting for its compaction
};

MboxFlags mboxFlags(const mime::HeaderBlock& block);

// `message` with its read flag set or cleared in both conventions; fields it lacks are added.
std::string withReadFlag(std::string_view message, bool read);

} // namespace mapi
