#include "mapi/mbox/MboxFlags.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace mapi {
namespace {

constexpr unsigned kMozillaRead = 0x0001;
constexpr unsigned kMozillaExpunged = 0x0008;

std::optional<unsigned> mozillaStatus(const mime::HeaderBlock& block) {
    const mime::HeaderField* field = mime::findField(block, "X-Mozilla-Status");
    if (!field)
        return std::nullopt;
    const std::string value = mime::unfoldValue(field->value);
    if (value.empty() || value.size() > 4 ||
        !std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isxdigit(c); }))
        return std::nullopt;
    return static_cast<unsigned>(std::stoul(value, nullptr, 16));
}

struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

} // namespace

MboxFlags mboxFlags(const mime::HeaderBlock& block) {
    MboxFlags flags;
    if (const auto status = mozillaStatus(block)) {
        flags.read = (*status & kMozillaRead) != 0;
        flags.expunged = (*status & kMozillaExpunged) != 0;
        return flags;
    }
    if (const mime::HeaderField* status = mime::findField(block, "Status"))
        flags.read = mime::unfoldValue(status->value).find('R') != std::string::npos;
    return flags;
}

std::string withReadFlag(std::string_view message, bool read) {
    const mime::HeaderBlock block = mime::parseHeaderBlock(message);
    const std::string lineEnd = block.crlf ? "\r\n" : "\n";
    std::vector<Edit> edits;
    std::string added;

    const mime::HeaderField* mozilla = mime::findField(block, "X-Mozilla-Status");
    const auto mozillaValue = mozillaStatus(block);
    if (mozilla && mozillaValue) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x",
                      read ? (*mozillaValue | kMozillaRead) : (*mozillaValue & ~kMozillaRead));
        edits.push_back({mozilla->begin, mozilla->end, std::string(mozilla->name) + ": " + hex});
    } else if (read) {
        added += "X-Mozilla-Status: 0001" + lineEnd;
    }

    if (const mime::HeaderField* status = mime::findField(block, "Status")) {
        std::string letters = mime::unfoldValue(status->value);
        std::erase(letters, 'R');
        if (read) {
            letters.insert(letters.begin(), 'R');
            if (letters.find('O') == std::string::npos)
                letters += 'O';
        }
        edits.push_back({status->begin, status->end, std::string(status->name) + ": " + letters});
    } else if (read) {
        added += "Status: RO" + lineEnd;
    }

    std::string result(message);
    if (!added.empty()) {
        std::size_t at = block.fields.empty() ? 0 : block.headerEnd;
        // A header that runs to the end of a text without a final line end needs one first.
        if (at == result.size() && at > 0 && result.back() != '\n')
            added = lineEnd + added;
        if (block.fields.empty() && !message.starts_with(lineEnd))
            added += lineEnd;
        edits.push_back({at, at, added});
    }
    std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin > b.begin; });
    for (const Edit& edit : edits)
        result.replace(edit.begin, edit.end - edit.begin, edit.text);
    return result;
}

} // namespace mapi
