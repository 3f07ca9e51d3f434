#include "mapi/mime/HeaderRepair.h"

#include "mapi/mime/HeaderBlock.h"

#include <strings.h>
#include <vector>

namespace mapi::mime {
namespace {

struct Edit {
    std::size_t begin = 0; // offset in the message of the bytes replaced
    std::size_t end = 0;
    std::string text;
};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && ::strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// A media type without a subtype, as the subtype RFC 2045 gives it, or empty.
std::string_view completedType(std::string_view value) {
    std::size_t begin = 0;
    while (begin < value.size() && (value[begin] == ' ' || value[begin] == '\t'))
        ++begin;
    std::size_t end = begin;
    while (end < value.size() && value[end] != ';' && value[end] != '/' && value[end] != ' ' &&
           value[end] != '\t' && value[end] != '\r' && value[end] != '\n')
        ++end;
    std::size_t after = end;
    while (after < value.size() && (value[after] == ' ' || value[after] == '\t'))
        ++after;
    if (after < value.size() && value[after] != ';' && value[after] != '\r' && value[after] != '\n')
        return {};
    const std::string_view type = value.substr(begin, end - begin);
    if (type.size() == 4 && startsWith(type, "text"))
        return "text/plain";
    if (type.size() == 9 && startsWith(type, "multipart"))
        return "multipart/mixed";
    return {};
}

// Adds the edits that mend the header block starting at `offset`; returns where the block ends.
std::size_t mendBlock(std::string_view message, std::size_t offset, std::vector<Edit>& edits) {
    const HeaderBlock block = parseHeaderBlock(message.substr(offset));
    if (block.fields.empty())
        return offset;
    // GMime reads no header at all after a continuation line before the first field.
    if (block.fields.front().begin > 0)
        edits.push_back({offset, offset + block.fields.front().begin, ""});
    if (const HeaderField* type = findField(block, "Content-Type")) {
        const std::string_view replacement = completedType(type->value);
        if (!replacement.empty()) {
            const std::size_t valueBegin = static_cast<std::size_t>(type->value.data() - message.data());
            std::size_t typeEnd = type->value.find(';');
            if (typeEnd == std::string_view::npos)
                typeEnd = type->value.find_last_not_of(" \t\r\n") + 1;
            edits.push_back({valueBegin, valueBegin + typeEnd, " " + std::string(replacement)});
        }
    }
    const std::size_t stray = offset + block.headerEnd;
    if (block.bodyOffset == block.headerEnd && stray < message.size())
        edits.push_back({stray, stray, block.crlf ? "\r\n" : "\n"});
    return offset + block.headerEnd;
}

} // namespace

std::optional<std::string> mendedForReading(std::string_view message) {
    std::vector<Edit> edits;
    // Each search starts after the block before it, so every byte is looked at a bounded number
    // of times however many "--" lines there are.
    std::size_t position = mendBlock(message, 0, edits);
    // A block ends at the start of a line: the search starts at the line end before it.
    while ((position = message.find("\n--", position > 0 ? position - 1 : 0)) != std::string_view::npos) {
        const std::size_t next = message.find('\n', position + 1);
        if (next == std::string_view::npos)
            break;
        position = mendBlock(message, next + 1, edits);
    }
    if (edits.empty())
        return std::nullopt;
    std::string mended;
    mended.reserve(message.size() + edits.size() * 16);
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        mended.append(message.substr(copied, edit.begin - copied));
        mended += edit.text;
        copied = edit.end;
    }
    mended.append(message.substr(copied));
    return mended;
}

} // namespace mapi::mime
