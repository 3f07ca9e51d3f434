#pragma once
// The line-level rules of mbox files. A message starts at a "From " line that opens the file or
// follows an empty line, and only where the line is a separator (a sender and a date, as mail
// readers require), so prose such as "From 9:00 to 10:30..." after a break stays in its body. Body
// lines that would read as separators are stored quoted as ">From "; mboxrd quotes ">From " again
// as ">>From ", so one '>' is taken off every line of '>'s followed by "From ".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mapi {

// `line` (without its line end) is a separator line.
bool isFromLine(std::string_view line);

// Seconds since 1970 of the separator's date ("From sender Mon Jan  1 10:00:00 2024"; a zone
// such as "+0100" after the time or the year is honoured, else the time is taken as UTC);
// nothing when the line is no separator.
std::optional<std::int64_t> fromLineTime(std::string_view line);

// The message text with the quoting of separator-like lines undone.
std::string unquoteFromLines(std::string_view text);

// Identifies a message across rewrites by this program and others: its separator line and its
// Message-ID, which a subject tag or a flag change never alters.
std::uint64_t messageFingerprint(std::string_view fromLine, std::string_view messageId);

} // namespace mapi
