#pragma once
// Finds the Date: field of a message and reads it as an instant, leniently: day names, comments,
// two-digit years and obsolete zone names are accepted, as they occur in real mail.

#include <cstdint>
#include <optional>
#include <string_view>

namespace bench {

// The header block: everything before the first empty line (LF or CR LF), or the whole text.
std::string_view headerBlock(std::string_view message);

// Whether `text` already holds the whole header block (an empty line was seen).
bool headerComplete(std::string_view text);

// Seconds since 1970 (UTC) of the first Date: field, or nothing when absent or unreadable.
std::optional<std::int64_t> dateField(std::string_view header);

// Reads an RFC 5322 date-time such as "Thu, 13 Feb 2014 09:30:00 +0100".
std::optional<std::int64_t> parseDate(std::string_view text);

} // namespace bench
