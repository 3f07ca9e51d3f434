#pragma once
// Header blocks that GMime would read so that the text is lost, mended in a copy used only for
// reading: a block that runs into its text without an empty line (the first line that is not a
// field starts the text, as mail readers do), and a Content-Type of "text" or "multipart" without
// a subtype (GMime makes both application/octet-stream), and continuation lines before the first
// field (after which GMime reads no header at all). The message's own header block and those
// of its parts (after a "--" line) are looked at; the stored file is never changed.

#include <optional>
#include <string>
#include <string_view>

namespace mapi::mime {

// The message as GMime should read it, or nothing when no header block needs mending.
std::optional<std::string> mendedForReading(std::string_view message);

} // namespace mapi::mime
