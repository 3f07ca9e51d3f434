#include "corpus/VisibleText.h"

#include <gmime/gmime.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

namespace corpus {
namespace {

struct Unref {
    void operator()(void* object) const { g_object_unref(object); }
};

bool startsWithField(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] > ' ' && text[i] < 127 && text[i] != ':')
        ++i;
    return i > 0 && i < text.size() && text[i] == ':';
}

bool isAttachment(GMimeObject* object) {
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    return disposition && g_mime_content_disposition_is_attachment(disposition);
}

// What lies between `open` and `close` (both lower case) taken out, letter case ignored.
std::string without(std::string text, std::string_view open, std::string_view close) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string out;
    std::size_t position = 0;
    while (true) {
        const std::size_t start = lower.find(open, position);
        if (start == std::string::npos)
            break;
        const std::size_t end = lower.find(close, start + open.size());
        out.append(text, position, start - position);
        if (end == std::string::npos)
            return out;
        position = end + close.size();
    }
    out.append(text, position);
    return out;
}

bool partHasText(GMimePart* part) {
    GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(part));
    const bool html = g_mime_content_type_is_type(type, "text", "html");
    if (!html && !g_mime_content_type_is_type(type, "text", "plain"))
        return false;
    char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
    if (!text)
        return false;
    const bool words = hasWords(text, html);
    g_free(text);
    return words;
}

} // namespace

bool hasWords(std::string_view text, bool html) {
    std::string visible(text);
    if (html) {
        visible = without(
            without(without(without(visible, "<!--", "-->"), "<head", "</head>"), "<style", "</style>"), "<",
            ">");
        visible = without(visible, "&", ";");
    }
    for (const char c : visible)
        if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

bool hasVisibleText(std::string_view message) {
    if (!startsWithField(message))
        return hasWords(message, false);
    g_mime_init();
    std::unique_ptr<GMimeStream, Unref> stream(
        g_mime_stream_mem_new_with_buffer(message.data(), message.size()));
    std::unique_ptr<GMimeParser, Unref> parser(g_mime_parser_new_with_stream(stream.get()));
    std::unique_ptr<GMimeMessage, Unref> parsed(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!parsed)
        return false;
    std::vector<GMimeObject*> pending{g_mime_message_get_mime_part(parsed.get())};
    while (!pending.empty()) {
        GMimeObject* object = pending.back();
        pending.pop_back();
        if (!object || GMIME_IS_MESSAGE_PART(object) || isAttachment(object) ||
            GMIME_IS_MULTIPART_ENCRYPTED(object))
            continue;
        if (GMIME_IS_MULTIPART_SIGNED(object)) {
            if (g_mime_multipart_get_count(GMIME_MULTIPART(object)) > 0)
                pending.push_back(
                    g_mime_multipart_get_part(GMIME_MULTIPART(object), GMIME_MULTIPART_SIGNED_CONTENT));
        } else if (GMIME_IS_MULTIPART(object)) {
            for (int i = 0; i < g_mime_multipart_get_count(GMIME_MULTIPART(object)); ++i)
                pending.push_back(g_mime_multipart_get_part(GMIME_MULTIPART(object), i));
        } else if (GMIME_IS_TEXT_PART(object) && partHasText(GMIME_PART(object))) {
            return true;
        }
    }
    return false;
}

} // namespace corpus
