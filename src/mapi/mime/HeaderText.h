#pragma once
// Header values as a mail client shows them: RFC 2047 words decoded to UTF-8, addresses split
// into names and addr-specs, dates to seconds. GMime 3.2.13 drops the encoded word that follows
// a base64 word ending in '=' padding, so base64 words are turned into Q words first (in a copy
// used for reading only).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapi::mime {

struct Mailbox {
    std::string name;    // decoded display name, may be empty
    std::string address; // bare address (local@domain); empty for a group without members
};

// Every RFC 2047 B word of `raw` rewritten as the equivalent Q word.
std::string base64WordsAsQuoted(std::string_view raw);

// Decoded, unfolded text of a header value; control characters become blanks, so a decoded
// value is always one line.
std::string decodeHeaderText(std::string_view raw);

// The mailboxes of an address list, group members in their place.
std::vector<Mailbox> parseAddressList(std::string_view raw);

// The first bare address of `raw`, for the sender address.
std::string firstAddress(std::string_view raw);

// Display names, else addresses, joined by "; ".
std::string displayList(std::string_view raw);

// Seconds since 1970 (UTC) of a Date: value, or nothing when it cannot be read.
std::optional<std::int64_t> parseDate(std::string_view raw);

// A header value for `text` (UTF-8): ASCII as it is, anything else as RFC 2047 words; control
// characters become blanks, so the result never holds a CR or LF.
std::string encodeHeaderText(std::string_view text);

} // namespace mapi::mime
