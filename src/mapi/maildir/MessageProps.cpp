#include "mapi/maildir/MessageProps.h"

#include "mapi/HeaderProperties.h"

#include <algorithm>
#include <climits>

namespace mapi {
namespace {

constexpr std::int32_t kMessageAccess = 0x1 | 0x2 | 0x4; // modify, read, delete

} // namespace

void addOpenedMessageProperties(Row& row) {
    row.push_back(PropValue::string(PR_MESSAGE_CLASS_A, "IPM.Note"));
    row.push_back(PropValue::integer(PR_MESSAGE_STATUS, 0));
    row.push_back(PropValue::integer(PR_ACCESS, kMessageAccess));
}

FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    constexpr std::int64_t kEpochDifference = 11644473600; // 1601-01-01 to 1970-01-01
    const std::int64_t since1601 = std::max<std::int64_t>(0, seconds + kEpochDifference);
    if (since1601 > LLONG_MAX / 10'000'000 - 1)
        return FileTime{static_cast<std::uint64_t>(LLONG_MAX)};
    return FileTime{static_cast<std::uint64_t>(since1601 * 10'000'000 + nanoseconds / 100)};
}

Row messageProperties(std::string_view header, const FileIdentity& identity, bool read,
                      const Binary& entryId) {
    return headerProperties(
        header,
        MessageFacts{.delivered = fileTimeFromUnix(identity.modifiedSeconds, identity.modifiedNanoseconds),
                     .size = identity.size,
                     .read = read,
                     .storeSupportMask = static_cast<std::int32_t>(kMaildirStoreSupportMask)},
        entryId);
}

} // namespace mapi
