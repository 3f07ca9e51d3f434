#include "mapi/mime/HeaderBlock.h"

#include <strings.h>

namespace mapi::mime {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The length of a field name ending in a colon at the start of `line`, or 0.
std::size_t fieldNameLength(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] != ':' && static_cast<unsigned char>(line[i]) > 32 &&
           static_cast<unsigned char>(line[i]) < 127)
        ++i;
    std::size_t nameEnd = i;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    return (nameEnd > 0 && i < line.size() && line[i] == ':') ? nameEnd : 0;
}

// Names that show a block of header fields: a stray line followed by one of these is inside the
// header, while "Note: ..." after a line of text is the text going on.
bool isKnownFieldName(std::string_view name) {
    static constexpr std::string_view kNames[] = {"from",
                                                  "to",
                                                  "cc",
                                                  "subject",
                                                  "date",
                                                  "message-id",
                                                  "reply-to",
                                                  "sender",
                                                  "return-path",
                                                  "received",
                                                  "references",
                                                  "in-reply-to",
                                                  "mime-version",
                                                  "content-type",
                                                  "content-transfer-encoding",
                                                  "content-disposition"};
    if (name.size() > 2 && ::strncasecmp(name.data(), "x-", 2) == 0)
        return true;
    for (const std::string_view known : kNames)
        if (known.size() == name.size() && ::strncasecmp(known.data(), name.data(), name.size()) == 0)
            return true;
    return false;
}

// After a line that is no field: where the empty line ending the header is, when the lines up to
// it are fields (one of them a known one), their continuations and more such broken lines (a
// folded address without its indent, a quoted ">From " line); else npos and the text starts at
// the line. A "--" line is a boundary: the text starts there.
std::size_t brokenLinesEnd(std::string_view text, std::size_t stray) {
    if (text.substr(stray, 2) == "--")
        return std::string_view::npos;
    bool sawKnown = false;
    for (std::size_t position = text.find('\n', stray); position != std::string_view::npos;) {
        ++position;
        const std::size_t newline = text.find('\n', position);
        std::string_view line =
            text.substr(position, newline == std::string_view::npos ? text.npos : newline - position);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            return sawKnown && newline != std::string_view::npos ? position : std::string_view::npos;
        if (line.substr(0, 2) == "--")
            return std::string_view::npos;
        if (const std::size_t nameLength = fieldNameLength(line); nameLength > 0)
            sawKnown = sawKnown || isKnownFieldName(line.substr(0, nameLength));
        position = newline;
    }
    return std::string_view::npos;
}

} // namespace

HeaderBlock parseHeaderBlock(std::string_view text) {
    HeaderBlock block;
    std::size_t position = 0;
    bool first = true;
    // Broken lines before this offset were found to lie inside the header; their continuations
    // belong to no field.
    std::size_t brokenUntil = 0;
    bool inBrokenLine = false;
    while (position < text.size()) {
        const std::size_t newline = text.find('\n', position);
        const bool terminated = newline != std::string_view::npos;
        const std::size_t lineEnd = terminated ? newline : text.size();
        std::size_t contentEnd = lineEnd;
        if (contentEnd > position && text[contentEnd - 1] == '\r')
            --contentEnd;
        const std::size_t next = terminated ? newline + 1 : text.size();
        const std::string_view line = text.substr(position, contentEnd - position);
        if (first)
            block.crlf = contentEnd != lineEnd;
        if (line.empty()) {
            block.headerEnd = position;
            block.bodyOffset = next;
            block.complete = terminated;
            return block;
        }
        if (isBlank(line[0]) && inBrokenLine) {
            // The continuation of a broken line: skipped with it.
        } else if (isBlank(line[0]) && !block.fields.empty()) {
            auto& field = block.fields.back();
            field.end = contentEnd;
            field.value = text.substr(field.value.data() - text.data(),
                                      contentEnd - (field.value.data() - text.data()));
        } else if (const std::size_t nameLength = fieldNameLength(line); nameLength > 0) {
            HeaderField field;
            field.name = line.substr(0, nameLength);
            const std::size_t colon = line.find(':');
            field.value = text.substr(position + colon + 1, contentEnd - position - colon - 1);
            field.begin = position;
            field.end = contentEnd;
            block.fields.push_back(field);
            inBrokenLine = false;
        } else if ((!first || isBlank(line[0])) &&
                   (position < brokenUntil ||
                    (brokenUntil = brokenLinesEnd(text, position)) != std::string_view::npos)) {
            // A broken line inside the header: skipped, the fields after it kept.
            inBrokenLine = true;
        } else {
            // Not a header line: the body starts here, without the blank line.
            block.headerEnd = position;
            block.bodyOffset = position;
            block.complete = terminated;
            if (first)
                block.fields.clear();
            return block;
        }
        first = false;
        position = next;
    }
    block.headerEnd = text.size();
    block.bodyOffset = text.size();
    return block;
}

const HeaderField* findField(const HeaderBlock& block, std::string_view name) {
    for (const auto& field : block.fields)
        if (field.name.size() == name.size() &&
            ::strncasecmp(field.name.data(), name.data(), name.size()) == 0)
            return &field;
    return nullptr;
}

std::string unfoldValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value)
        if (c != '\r' && c != '\n')
            out += c;
    const auto begin = out.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return out.substr(begin, out.find_last_not_of(" \t") - begin + 1);
}

} // namespace mapi::mime
