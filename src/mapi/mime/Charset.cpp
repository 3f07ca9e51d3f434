#include "mapi/mime/Charset.h"

#include "mapi/mime/MimeLibrary.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <mutex>

namespace mapi::mime {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
// Longer names in encoded words are junk, not charsets worth a converter.
constexpr std::size_t kMaxCharsetName = 40;

// windows-1252 0x80..0x9F; 0 marks the five undefined bytes.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendWindows1252(std::string& out, unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) {
        appendCodePoint(out, byte);
        return;
    }
    const char16_t mapped = kWindows1252High[byte - 0x80];
    if (mapped)
        appendCodePoint(out, mapped);
    else
        out += kReplacement;
}

// Length of the valid UTF-8 sequence at `at`, or 0.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, value = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Valid sequences are kept; a byte that starts none is read as windows-1252, which recovers
// Latin-1 text labelled UTF-8 without losing the UTF-8 around it.
std::string repairUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            const std::size_t run = i;
            while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
                ++i;
            out.append(text.data() + run, i - run);
            continue;
        }
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            appendWindows1252(out, static_cast<unsigned char>(text[i]));
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

std::string normalisedLabel(std::string_view charset) {
    std::string label;
    for (const char c : charset)
        if (c != '"' && c != '\'' && c != ' ' && c != '\t')
            label += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return label;
}

bool isWindows1252Family(const std::string& label) {
    static const char* const names[] = {"us-ascii",     "ascii",      "ansi_x3.4-1968", "iso-8859-1",
                                        "iso8859-1",    "iso_8859-1", "latin1",         "l1",
                                        "windows-1252", "cp1252",     "x-cp1252"};
    return std::find(std::begin(names), std::end(names), label) != std::end(names);
}

// glibc unloads a converter module when its last descriptor closes, so one descriptor per
// charset stays open for the life of the process; it also keeps the module loaded for GMime's own
// converters. A descriptor keeps shift state, hence the lock.
class ConverterCache {
public:
    // Runs `convert` with the open converter from `label` to UTF-8; false when there is none.
    template <typename F> bool with(const std::string& label, F&& convert) {
        std::lock_guard lock(m_mutex);
        auto found = m_converters.find(label);
        if (found == m_converters.end()) {
            parserOptions(); // the charset alias table needs GMime initialised
            const char* name = g_mime_charset_iconv_name(label.c_str());
            found = m_converters.emplace(label, ::iconv_open("UTF-8", name ? name : label.c_str())).first;
        }
        if (found->second == reinterpret_cast<iconv_t>(-1))
            return false;
        convert(found->second);
        return true;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, iconv_t> m_converters;
};

ConverterCache& converters() {
    static ConverterCache* cache = [] {
        auto* made = new ConverterCache; // never destroyed: used until exit
        // GMime reads raw 8-bit header text through this fallback charset.
        made->with("windows-1252", [](iconv_t) {});
        return made;
    }();
    return *cache;
}

std::string convertWith(iconv_t converter, std::string_view bytes) {
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::string chunk(4 * bytes.size() + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    bool flushing = false; // after the input, a stateful charset may still owe bytes
    while (true) {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t result = flushing ? ::iconv(converter, nullptr, nullptr, &outPtr, &outLeft)
                                            : ::iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(chunk.data(), chunk.size() - outLeft);
        if (result != static_cast<std::size_t>(-1)) {
            if (flushing)
                break;
            flushing = true;
            continue;
        }
        if (error == E2BIG)
            continue;
        if (flushing)
            break;
        out += kReplacement;
        if (error != EILSEQ || inLeft == 0)
            break;
        ++in;
        --inLeft;
    }
    return out;
}

} // namespace

void keepConvertersFor(std::string_view text) {
    for (std::size_t start = text.find("=?"); start != std::string_view::npos;
         start = text.find("=?", start + 2)) {
        const std::size_t end = text.find_first_of("?* \t\r\n", start + 2);
        if (end == std::string_view::npos || text[end] == ' ' || text[end] == '\t' || text[end] == '\r' ||
            text[end] == '\n' || end - start - 2 > kMaxCharsetName || end == start + 2)
            continue;
        const std::string label = normalisedLabel(text.substr(start + 2, end - start - 2));
        if (label != "utf-8" && label != "utf8")
            converters().with(label, [](iconv_t) {});
    }
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t run = 0; // start of the ASCII text since the last 8-bit byte, copied in one piece
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) < 0x80)
            continue;
        out.append(text.data() + run, i - run);
        appendWindows1252(out, static_cast<unsigned char>(text[i]));
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
    return out;
}

std::string toUtf8(std::string_view bytes, std::string_view charset) {
    const std::string label = normalisedLabel(charset);
    const bool asciiCompatible =
        label.empty() || label == "utf-8" || label == "utf8" || isWindows1252Family(label);
    if (asciiCompatible && isAscii(bytes))
        return std::string(bytes);
    if (label.empty())
        return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
    if (label == "utf-8" || label == "utf8")
        return repairUtf8(bytes);
    if (isWindows1252Family(label))
        return windows1252ToUtf8(bytes);
    std::string converted;
    if (converters().with(label, [&](iconv_t converter) { converted = convertWith(converter, bytes); }))
        return converted;
    return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}

} // namespace mapi::mime
