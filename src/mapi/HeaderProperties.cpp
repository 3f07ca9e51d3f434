#include "mapi/HeaderProperties.h"

#include "mapi/maildir/MessageProps.h"
#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/HeaderText.h"

#include <algorithm>
#include <strings.h>

namespace mapi {
namespace {

constexpr std::uint32_t MSGFLAG_HASATTACH = 0x10;

std::string mediaType(const mime::HeaderBlock& block) {
    const mime::HeaderField* field = mime::findField(block, "Content-Type");
    if (!field)
        return {};
    std::string value = mime::unfoldValue(field->value);
    value = value.substr(0, value.find(';'));
    std::erase_if(value, [](char c) { return c == ' ' || c == '\t'; });
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

Row headerProperties(std::string_view header, const MessageFacts& facts, const Binary& entryId) {
    const mime::HeaderBlock block = mime::parseHeaderBlock(header);
    const bool attachment = looksLikeAttachment(block);
    FileTime submitted = facts.delivered;
    if (const mime::HeaderField* date = mime::findField(block, "Date"))
        if (const auto seconds = mime::parseDate(date->value))
            submitted = fileTimeFromUnix(*seconds, 0);
    std::uint32_t flags = facts.read ? MSGFLAG_READ : 0;
    if (attachment)
        flags |= MSGFLAG_HASATTACH;
    Row row{
        PropValue::binary(PR_ENTRYID, entryId),
        PropValue::boolean(PR_HASATTACH, attachment),
        PropValue::integer(PR_STORE_SUPPORT_MASK, facts.storeSupportMask),
        PropValue::string(PR_DISPLAY_TO_A, fieldText(block, "To", mime::displayList)),
        PropValue::string(PR_DISPLAY_CC_A, fieldText(block, "Cc", mime::displayList)),
        PropValue::string(PR_DISPLAY_BCC_A, fieldText(block, "Bcc", mime::displayList)),
        PropValue::integer(PR_MESSAGE_FLAGS, static_cast<std::int32_t>(flags)),
        PropValue::integer(PR_MESSAGE_SIZE,
                           static_cast<std::int32_t>(std::min<std::uint64_t>(facts.size, INT32_MAX))),
        PropValue::time(PR_MESSAGE_DELIVERY_TIME, facts.delivered),
        PropValue::time(PR_CLIENT_SUBMIT_TIME, submitted),
    };
    if (const mime::HeaderField* subject = mime::findField(block, "Subject"))
        row.push_back(PropValue::string(PR_SUBJECT_A, mime::decodeHeaderText(subject->value)));
    if (const mime::HeaderField* from = mime::findField(block, "From"))
        row.push_back(PropValue::string(PR_SENDER_EMAIL_ADDRESS_A, mime::firstAddress(from->value)));
    return row;
}

} // namespace mapi
