#pragma once
// The raw header block of a message, read without a MIME parser: listing a folder reads only the
// header block of each file, and a subject change edits one field and keeps every other byte.
// Lenient: a first line that is no header field means the file has no headers at all; a later
// line that is neither a field nor a continuation ends the block without an empty line, unless
// fields (a well-known one among them) follow it up to the empty line: then it is a broken line
// inside the header and is skipped with its continuations, as is a continuation before the first
// field.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapi::mime {

struct HeaderField {
    std::string_view name;
    std::string_view value; // after the colon, folding line ends included
    std::size_t begin = 0;  // offset of the field's first byte
    std::size_t end = 0;    // offset just past its last line, before that line's end
};

struct HeaderBlock {
    std::vector<HeaderField> fields;
    std::size_t headerEnd = 0;  // where a new field would be inserted
    std::size_t bodyOffset = 0; // first byte of the body
    bool complete = false;      // the block ended inside the text (not cut off by its end)
    bool crlf = false;          // lines end in CR LF
};

// The views in the result point into `text`.
HeaderBlock parseHeaderBlock(std::string_view text);

// The first field named `name` (letter case ignored).
const HeaderField* findField(const HeaderBlock& block, std::string_view name);

// The value with folding undone and surrounding blanks trimmed.
std::string unfoldValue(std::string_view value);

} // namespace mapi::mime
