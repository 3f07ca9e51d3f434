#include "mapi/mime/TransferDecoding.h"

#include <glib.h>

namespace mapi::mime {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string decodeBase64(std::string_view encoded) {
    std::string out(encoded.size() * 3 / 4 + 3, '\0');
    gint state = 0;
    guint save = 0;
    const gsize length = g_base64_decode_step(encoded.data(), encoded.size(),
                                              reinterpret_cast<guchar*>(out.data()), &state, &save);
    out.resize(length);
    return out;
}

bool isPlainlyNotBase64(std::string_view encoded) {
    // Base64 lines hold no blanks and nothing outside its alphabet; text has a blank or a
    // punctuation mark every few letters. A stray character or two (a broken line) is not enough.
    std::size_t significant = 0;
    std::size_t foreign = 0;
    std::size_t lineStart = 0;
    while (lineStart < encoded.size()) {
        std::size_t end = encoded.find('\n', lineStart);
        if (end == std::string_view::npos)
            end = encoded.size();
        std::string_view line = encoded.substr(lineStart, end - lineStart);
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first != std::string_view::npos) {
            line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
            significant += line.size();
            for (const char c : line)
                if (!g_ascii_isalnum(c) && c != '+' && c != '/' && c != '=')
                    ++foreign;
        }
        lineStart = end + 1;
    }
    return foreign * 20 > significant;
}

std::string decodeQuotedPrintable(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    std::size_t lineStart = 0;
    while (lineStart < encoded.size()) {
        std::size_t newline = encoded.find('\n', lineStart);
        const bool terminated = newline != std::string_view::npos;
        if (!terminated)
            newline = encoded.size();
        std::size_t end = newline;
        if (end > lineStart && encoded[end - 1] == '\r')
            --end;
        // Blanks at the end of a line were added in transport.
        while (end > lineStart && (encoded[end - 1] == ' ' || encoded[end - 1] == '\t'))
            --end;
        bool softBreak = false;
        for (std::size_t i = lineStart; i < end; ++i) {
            if (encoded[i] != '=') {
                out += encoded[i];
                continue;
            }
            if (i + 1 == end) {
                softBreak = true;
                break;
            }
            const int high = i + 2 < end ? hexValue(encoded[i + 1]) : -1;
            const int low = i + 2 < end ? hexValue(encoded[i + 2]) : -1;
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
            } else {
                out += '=';
            }
        }
        if (terminated && !softBreak)
            out += "\r\n";
        lineStart = newline + 1;
    }
    return out;
}

std::string toCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    std::size_t run = 0; // start of the text since the last line end, copied in one piece
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        out.append(text.data() + run, i - run);
        out += "\r\n";
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
    return out;
}

} // namespace mapi::mime
