#pragma once
// The pieces of IMAP's syntax the client reads and writes: the values of a server response
// (atoms, quoted strings, literals, parenthesised lists, NIL), quoted arguments, UID sets and
// the date-time of INTERNALDATE and APPEND.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapi {

struct ImapValue {
    enum class Kind { Atom, String, List, Nil };
    Kind kind = Kind::Atom;
    std::string text; // an atom's or a string's bytes
    std::vector<ImapValue> items;

    bool isAtom(const char* name) const;
    // The text of an atom or string; empty for NIL and lists.
    const std::string& string() const { return text; }
};

// The values of one response, literals included ("{5}\r\nhello"). A response the syntax does not
// allow throws ImapError (MAPI_E_CORRUPT_DATA) quoting where it broke.
std::vector<ImapValue> parseImapValues(std::string_view response);

// `text` as one IMAP string argument: an atom-safe quoted string; none when it needs a literal
// (CR, LF, NUL or 8-bit bytes).
std::optional<std::string> quotedArgument(std::string_view text);

// "1:3,7,9" for the UIDs given (in any order).
std::string uidSetText(std::vector<std::uint32_t> uids);

// INTERNALDATE ("17-Jul-1996 02:44:25 -0700") as seconds since 1970; none when unreadable.
std::optional<std::int64_t> parseInternalDate(std::string_view text);
// Seconds since 1970 as an APPEND date-time, in UTC.
std::string internalDateText(std::int64_t seconds);

} // namespace mapi
