#pragma once
// The MIME structure of most mail, read without building GMime's object tree (which costs more
// than the rest of an export together): header blocks of plain fields, parameters of plain tokens
// and quoted strings, and multiparts whose boundary lines are all met and closed. A structure
// with anything unusual or broken is declined and left to GMime, so that every message read here
// yields exactly the parts GMime's reading yields.

#include <optional>
#include <string_view>
#include <vector>

namespace mapi::mime {

enum class TransferEncoding { Identity, Base64, QuotedPrintable };

// A text/plain or text/html part that may be the message text: not an attachment, an attached
// message, the signature of a signed part nor inside any of them or an encrypted part.
struct TextPartView {
    bool html = false;
    TransferEncoding encoding = TransferEncoding::Identity;
    std::string_view charset; // empty when none is given
    std::string_view content; // still transfer-encoded; points into the message
};

// The text parts of `message` in reading order, or nothing when its structure is not plain
// enough to be read here.
std::optional<std::vector<TextPartView>> simpleTextParts(std::string_view message);

} // namespace mapi::mime
