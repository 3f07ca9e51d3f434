#pragma once
// The properties of a Maildir message, all taken from its header block, its file name and its
// file's status: subject, sender bare address and display lists decoded to UTF-8; the delivery time
// is the file's modification time (what IMAP servers use as the arrival date) and the submit
// time the Date: header, or the delivery time when there is no readable Date: (as IMAP's SORT does).

#include "mapi/PropValue.h"
#include "mapi/maildir/MessageFile.h"

#include <string_view>

namespace mapi {

constexpr std::uint32_t kMaildirStoreSupportMask =
    STORE_RTF_OK | 0x1 /* entry ids unique */ | 0x10 /* modify */;

// The properties of a listing row.
Row messageProperties(std::string_view header, const FileIdentity& identity, bool read,
                      const Binary& entryId);

// What an opened message answers beyond its row: class, status and access. Rows are kept per
// message in a listing, so they hold nothing that is the same for all.
void addOpenedMessageProperties(Row& row);

FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);

} // namespace mapi
