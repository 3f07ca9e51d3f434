#include "mapi/mime/HeaderText.h"

#include "mapi/mime/Charset.h"
#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/MimeLibrary.h"

#include <algorithm>
#include <memory>

namespace mapi::mime {
namespace {

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GString = std::unique_ptr<char, GFreeDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const { g_object_unref(p); }
};

bool isBase64Char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

std::string quotedWord(std::string_view charset, std::string_view bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string word = "=?";
    word.append(charset);
    word += "?Q?";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) {
            word += c;
        } else {
            word += '=';
            word += hex[byte >> 4];
            word += hex[byte & 15];
        }
    }
    return word + "?=";
}

std::string oneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32 || c == 127)
            c = ' ';
    return text;
}

void appendMailboxes(InternetAddressList* list, std::vector<Mailbox>& out) {
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        const char* name = internet_address_get_name(address);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            InternetAddressList* members =
                internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address));
            if (members && internet_address_list_length(members) > 0)
                appendMailboxes(members, out);
            else if (name && *name)
                out.push_back({oneLine(name), {}});
        } else if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
            out.push_back({oneLine(name ? name : ""), oneLine(addr ? addr : "")});
        }
    }
}

} // namespace

std::string base64WordsAsQuoted(std::string_view raw) {
    std::string out;
    std::size_t position = 0;
    while (true) {
        const std::size_t start = raw.find("=?", position);
        if (start == std::string_view::npos)
            break;
        const std::size_t q1 = raw.find('?', start + 2);
        const bool base64 = q1 != std::string_view::npos && q1 + 2 < raw.size() &&
                            (raw[q1 + 1] == 'B' || raw[q1 + 1] == 'b') && raw[q1 + 2] == '?';
        const std::size_t payloadBegin = q1 + 3;
        const std::size_t close = base64 ? raw.find("?=", payloadBegin) : std::string_view::npos;
        if (close == std::string_view::npos) {
            out.append(raw, position, start + 2 - position);
            position = start + 2;
            continue;
        }
        const std::string_view payload = raw.substr(payloadBegin, close - payloadBegin);
        const std::string_view charset = raw.substr(start + 2, q1 - start - 2);
        out.append(raw, position, start - position);
        if (!payload.empty() && std::all_of(payload.begin(), payload.end(), isBase64Char) &&
            charset.find_first_of(" \t\r\n") == std::string_view::npos) {
            gsize length = 0;
            const std::string text(payload);
            GString decoded(reinterpret_cast<char*>(g_base64_decode(text.c_str(), &length)));
            out += quotedWord(charset, std::string_view(decoded.get() ? decoded.get() : "", length));
        } else {
            out.append(raw, start, close + 2 - start);
        }
        position = close + 2;
    }
    out.append(raw, position);
    return out;
}

std::string decodeHeaderText(std::string_view raw) {
    const std::string unfolded = base64WordsAsQuoted(unfoldValue(raw));
    keepConvertersFor(unfolded);
    GString decoded(g_mime_utils_header_decode_text(parserOptions(), unfolded.c_str()));
    return oneLine(decoded ? decoded.get() : unfolded);
}

std::vector<Mailbox> parseAddressList(std::string_view raw) {
    std::vector<Mailbox> out;
    const std::string unfolded = base64WordsAsQuoted(unfoldValue(raw));
    if (unfolded.empty())
        return out;
    keepConvertersFor(unfolded);
    std::unique_ptr<InternetAddressList, GObjectDeleter> list(
        internet_address_list_parse(parserOptions(), unfolded.c_str()));
    if (list)
        appendMailboxes(list.get(), out);
    return out;
}

std::string firstAddress(std::string_view raw) {
    for (const auto& mailbox : parseAddressList(raw))
        if (!mailbox.address.empty())
            return mailbox.address;
    return {};
}

std::string displayList(std::string_view raw) {
    std::string out;
    for (const auto& mailbox : parseAddressList(raw)) {
        const std::string& shown = mailbox.name.empty() ? mailbox.address : mailbox.name;
        if (shown.empty())
            continue;
        if (!out.empty())
            out += "; ";
        out += shown;
    }
    return out;
}

std::optional<std::int64_t> parseDate(std::string_view raw) {
    const std::string text = unfoldValue(raw);
    if (text.empty())
        return std::nullopt;
    parserOptions();
    GDateTime* date = g_mime_utils_header_decode_date(text.c_str());
    if (!date)
        return std::nullopt;
    const std::int64_t seconds = g_date_time_to_unix(date);
    g_date_time_unref(date);
    return seconds;
}

std::string encodeHeaderText(std::string_view text) {
    const std::string line = oneLine(std::string(text));
    const bool plain =
        std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 128; }) &&
        line.find("=?") == std::string::npos;
    if (plain)
        return line;
    parserOptions();
    GString encoded(g_mime_utils_header_encode_text(nullptr, line.c_str(), "utf-8"));
    return encoded ? oneLine(encoded.get()) : line;
}

} // namespace mapi::mime
