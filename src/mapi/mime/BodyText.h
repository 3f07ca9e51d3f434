#pragma once
// The plain-text body of a message as a mail client shows it as the message text: the first
// inline text/plain part in reading order (which in multipart/alternative is the plain
// alternative), else the first HTML part rendered as text. Attachments, attached messages, the
// signature of multipart/signed and encrypted parts are never the body. Transfer encodings are
// decoded, the text converted to UTF-8 and its lines end in CR LF.

#include <optional>
#include <string>
#include <string_view>

namespace mapi::mime {

// Nothing when the message has no text at all; never throws on malformed input.
std::optional<std::string> plainTextBody(std::string_view message);

// The same text read by GMime alone, without the shortcut for plain structures that
// plainTextBody takes: what the shortcut must always agree with.
std::optional<std::string> plainTextBodyByLibrary(std::string_view message);

} // namespace mapi::mime
