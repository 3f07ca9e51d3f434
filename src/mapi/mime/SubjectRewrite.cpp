#include "mapi/mime/SubjectRewrite.h"

#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/HeaderText.h"

namespace mapi::mime {
namespace {

constexpr std::size_t kFoldWidth = 78;

// "Subject: ..." folded at blanks so lines stay short where the words allow it.
std::string subjectField(std::string_view subject, std::string_view lineEnd) {
    const std::string value = encodeHeaderText(subject);
    std::string field = "Subject:";
    std::size_t lineLength = field.size();
    std::size_t position = 0;
    bool firstWord = true;
    while (position <= value.size()) {
        std::size_t blank = value.find(' ', position);
        if (blank == std::string::npos)
            blank = value.size();
        const std::string_view word = std::string_view(value).substr(position, blank - position);
        if (!firstWord && lineLength + 1 + word.size() > kFoldWidth) {
            field += lineEnd;
            lineLength = 0;
        }
        field += ' ';
        field += word;
        lineLength += 1 + word.size();
        firstWord = false;
        position = blank + 1;
    }
    return field;
}

} // namespace

std::string withSubject(std::string_view message, std::string_view subject) {
    const HeaderBlock block = parseHeaderBlock(message);
    const std::string_view lineEnd = block.crlf ? "\r\n" : "\n";
    const std::string field = subjectField(subject, lineEnd);
    std::string out;
    out.reserve(message.size() + field.size() + 4);
    if (const HeaderField* old = findField(block, "Subject")) {
        out.append(message, 0, old->begin);
        out += field;
        out.append(message, old->end);
    } else if (block.fields.empty()) {
        // No header block at all: the whole file was the text, and stays so after the blank line.
        out += field;
        out += lineEnd;
        out += lineEnd;
        out.append(message);
    } else {
        out.append(message, 0, block.headerEnd);
        if (block.headerEnd > 0 && message[block.headerEnd - 1] != '\n')
            out += lineEnd;
        out += field;
        out += lineEnd;
        out.append(message, block.headerEnd);
    }
    return out;
}

} // namespace mapi::mime
