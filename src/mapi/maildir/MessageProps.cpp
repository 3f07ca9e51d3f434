#include "mapi/maildir/MessageProps.h"

#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/HeaderText.h"

#include <algorithm>
#include <climits>
#include <strings.h>

namespace mapi {
namespace {

constexpr std::uint32_t MSGFLAG_HASATTACH = 0x10;
constexpr std::int32_t kMessageAccess = 0x1 | 0x2 | 0x4; // modify, read, delete

std::string mediaType(const mime::HeaderBlock& block) {
    const mime::HeaderField* field = mime::findField(block, "Content-Type");
    if (!field)
        return {};
    std::string value = mime::unfoldValue(field->value);
    value = value.substr(0, value.find(';'));
    value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return c == ' ' || c == '\t'; }),
                value.end());
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return value;
}

// Only the header block is read, so an attachment is assumed where its structure says so.
bool looksLikeAttachment(const mime::HeaderBlock& block) {
    if (mediaType(block) == "multipart/mixed")
        return true;
    const mime::HeaderField* disposition = mime::findField(block, "Content-Disposition");
    return disposition && strncasecmp(mime::unfoldValue(disposition->value).c_str(), "attachment", 10) == 0;
}

std::string fieldText(const mime::HeaderBlock& block, const char* name,
                      std::string (*decode)(std::string_view)) {
    const mime::HeaderField* field = mime::findField(block, name);
    return field ? decode(field->value) : std::string();
}

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
    const mime::HeaderBlock block = mime::parseHeaderBlock(header);
    const bool attachment = looksLikeAttachment(block);
    const FileTime delivered = fileTimeFromUnix(identity.modifiedSeconds, identity.modifiedNanoseconds);
    FileTime submitted = delivered;
    if (const mime::HeaderField* date = mime::findField(block, "Date"))
        if (const auto seconds = mime::parseDate(date->value))
            submitted = fileTimeFromUnix(*seconds, 0);
    std::uint32_t flags = read ? MSGFLAG_READ : 0;
    if (attachment)
        flags |= MSGFLAG_HASATTACH;
    Row row{
        PropValue::binary(PR_ENTRYID, entryId),
        PropValue::boolean(PR_HASATTACH, attachment),
        PropValue::integer(PR_STORE_SUPPORT_MASK, static_cast<std::int32_t>(kMaildirStoreSupportMask)),
        PropValue::string(PR_DISPLAY_TO_A, fieldText(block, "To", mime::displayList)),
        PropValue::string(PR_DISPLAY_CC_A, fieldText(block, "Cc", mime::displayList)),
        PropValue::string(PR_DISPLAY_BCC_A, fieldText(block, "Bcc", mime::displayList)),
        PropValue::integer(PR_MESSAGE_FLAGS, static_cast<std::int32_t>(flags)),
        PropValue::integer(PR_MESSAGE_SIZE,
                           static_cast<std::int32_t>(std::min<std::uint64_t>(identity.size, INT32_MAX))),
        PropValue::time(PR_MESSAGE_DELIVERY_TIME, delivered),
        PropValue::time(PR_CLIENT_SUBMIT_TIME, submitted),
    };
    if (const mime::HeaderField* subject = mime::findField(block, "Subject"))
        row.push_back(PropValue::string(PR_SUBJECT_A, mime::decodeHeaderText(subject->value)));
    if (const mime::HeaderField* from = mime::findField(block, "From"))
        row.push_back(PropValue::string(PR_SENDER_EMAIL_ADDRESS_A, mime::firstAddress(from->value)));
    return row;
}

} // namespace mapi
