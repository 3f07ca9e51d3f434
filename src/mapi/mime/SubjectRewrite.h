#pragma once
// A subject change edits the raw header block: re-serialising a parsed message is not byte-exact
// (boundaries, final newline, mixed line ends), so only the Subject field is replaced and every
// other byte of the message stays as it was.

#include <string>
#include <string_view>

namespace mapi::mime {

// `message` with its first Subject field set to `subject` (UTF-8), added when there is none.
// The field uses the message's own line ends and is folded; it never holds a raw CR or LF.
std::string withSubject(std::string_view message, std::string_view subject);

} // namespace mapi::mime
