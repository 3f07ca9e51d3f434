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

// After a line that is no field: whether only fields follow it up to the empty line. Then the
// line is a broken field (a folded address without its indent), and mail readers keep the fields
// after it. A "--" line is a boundary: the text starts there.
bool onlyFieldsFollow(std::string_view text, std::size_t stray) {
    if (text.substr(stray, 2) == "--")
        return false;
    std::size_t position = text.find('\n', stray);
    bool sawField = false;
    while (position != std::string_view::npos) {
        ++position;
        const std::size_t newline = text.find('\n', position);
        std::string_view line =
            text.substr(position, newline == std::string_view::npos ? text.npos : newline - position);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            return sawField && newline != std::string_view::npos;
        if (isBlank(line[0]) ? !sawField : fieldNameLength(line) == 0)
            return false;
        sawField = true;
        position = newline;
    }
    return false;
}

} // namespace

HeaderBlock parseHeaderBlock(std::string_view text) {
    HeaderBlock block;
    std::size_t position = 0;
    bool first = true;
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
        if (isBlank(line[0]) && !block.fields.empty()) {
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
        } else if (!first && onlyFieldsFollow(text, position)) {
            // A broken field: skipped, the fields after it kept.
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
