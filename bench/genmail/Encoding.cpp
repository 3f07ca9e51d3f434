#include "Encoding.h"

#include <array>
#include <cstdint>
#include <utility>

namespace bench {

namespace {

// Windows-1252's printable characters in 0x80..0x9F, by code point.
constexpr std::array<std::pair<char32_t, unsigned char>, 27> kWindows1252High{{
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
}};

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    return 4;
}

// Decodes the character at `pos` (the generator's own text is always valid UTF-8).
char32_t decodeAt(std::string_view text, std::size_t pos, std::size_t length) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    switch (length) {
    case 1:
        return byte(0);
    case 2:
        return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
        return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
               (byte(3) & 0x3F);
    }
}

// The byte of `c` in a one-byte charset, or -1.
int singleByte(char32_t c, Charset charset) {
    if (c < 0x80) {
        return static_cast<int>(c);
    }
    if (charset == Charset::UsAscii) {
        return -1;
    }
    if (c >= 0xA0 && c <= 0xFF) {
        return static_cast<int>(c);
    }
    if (charset == Charset::Windows1252) {
        for (auto [code, byte] : kWindows1252High) {
            if (code == c) {
                return byte;
            }
        }
    }
    return -1;
}

void appendBase64(std::string& out, std::string_view data) {
    std::size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        std::uint32_t v = (static_cast<unsigned char>(data[i]) << 16) |
                          (static_cast<unsigned char>(data[i + 1]) << 8) |
                          static_cast<unsigned char>(data[i + 2]);
        out += kBase64Alphabet[(v >> 18) & 63];
        out += kBase64Alphabet[(v >> 12) & 63];
        out += kBase64Alphabet[(v >> 6) & 63];
        out += kBase64Alphabet[v & 63];
    }
    std::size_t rest = data.size() - i;
    if (rest == 0) {
        return;
    }
    std::uint32_t v = static_cast<unsigned char>(data[i]) << 16;
    if (rest == 2) {
        v |= static_cast<unsigned char>(data[i + 1]) << 8;
    }
    out += kBase64Alphabet[(v >> 18) & 63];
    out += kBase64Alphabet[(v >> 12) & 63];
    out += rest == 2 ? kBase64Alphabet[(v >> 6) & 63] : '=';
    out += '=';
}

void wrapLines(std::string& out, std::string_view encoded) {
    for (std::size_t i = 0; i < encoded.size(); i += 76) {
        out.append(encoded.substr(i, 76));
        out += '\n';
    }
}

// One encoded word of bytes already in the charset.
std::string encodedWord(std::string_view bytes, std::string_view label, char method) {
    std::string word = "=?";
    word += label;
    word += '?';
    word += method;
    word += '?';
    if (method == 'B') {
        appendBase64(word, bytes);
    } else {
        for (char ch : bytes) {
            auto c = static_cast<unsigned char>(ch);
            if (c == ' ') {
                word += '_';
            } else if (c < 0x80 && c > 0x20 && c != '=' && c != '?' && c != '_' && c != '"') {
                word += ch;
            } else {
                word += '=';
                word += kHex[c >> 4];
                word += kHex[c & 15];
            }
        }
    }
    word += "?=";
    return word;
}

} // namespace

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string hexDigits(std::uint64_t value, int digits) {
    static const char kLower[] = "0123456789abcdef";
    std::string out(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = kLower[value & 15];
        value >>= 4;
    }
    return out;
}

std::string withCrlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 30);
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::string_view charsetLabel(Charset charset) {
    switch (charset) {
    case Charset::UsAscii:
        return "us-ascii";
    case Charset::Utf8:
        return "UTF-8";
    case Charset::Latin1:
        return "ISO-8859-1";
    case Charset::Windows1252:
        return "windows-1252";
    }
    return "UTF-8";
}

std::string fromUtf8(std::string_view utf8, Charset charset) {
    if (charset == Charset::Utf8) {
        return std::string(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = sequenceLength(static_cast<unsigned char>(utf8[pos]));
        int byte = singleByte(decodeAt(utf8, pos, length), charset);
        out += byte < 0 ? '?' : static_cast<char>(byte);
        pos += length;
    }
    return out;
}

bool representable(std::string_view utf8, Charset charset) {
    if (charset == Charset::Utf8) {
        return true;
    }
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t length = sequenceLength(static_cast<unsigned char>(utf8[pos]));
        if (singleByte(decodeAt(utf8, pos, length), charset) < 0) {
            return false;
        }
        pos += length;
    }
    return true;
}

std::string base64Lines(std::string_view data) {
    std::string encoded;
    encoded.reserve(data.size() / 3 * 4 + 4);
    appendBase64(encoded, data);
    std::string out;
    out.reserve(encoded.size() + encoded.size() / 76 + 2);
    wrapLines(out, encoded);
    return out;
}

std::string base64PaddedPieces(std::string_view data, std::size_t pieceBytes) {
    std::string encoded;
    for (std::size_t i = 0; i < data.size(); i += pieceBytes) {
        appendBase64(encoded, data.substr(i, pieceBytes));
    }
    std::string out;
    wrapLines(out, encoded);
    return out;
}

std::string quotedPrintable(std::string_view data) {
    std::string out;
    out.reserve(data.size() + data.size() / 8);
    std::size_t column = 0;
    auto emit = [&](std::string_view piece) {
        if (column + piece.size() > 75) {
            out += "=\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    };
    for (std::size_t i = 0; i < data.size(); ++i) {
        auto c = static_cast<unsigned char>(data[i]);
        bool lineEndNext = i + 1 == data.size() || data[i + 1] == '\n';
        if (c == '\n') {
            out += '\n';
            column = 0;
        } else if ((c == ' ' || c == '\t') && lineEndNext) {
            // A blank before a line end would be lost in transit, so it is encoded.
            char hex[3] = {'=', kHex[c >> 4], kHex[c & 15]};
            emit(std::string_view(hex, 3));
        } else if (c == '=' || c >= 0x80 || (c < 0x20 && c != '\t')) {
            char hex[3] = {'=', kHex[c >> 4], kHex[c & 15]};
            emit(std::string_view(hex, 3));
        } else {
            char plain = static_cast<char>(c);
            emit(std::string_view(&plain, 1));
        }
    }
    return out;
}

std::string encodedWords(std::string_view utf8, Charset charset, char method, std::size_t prefixLength) {
    // Pieces of at most 30 (B) or 16 (Q) source bytes keep every word under 76 characters;
    // a piece never splits a character.
    std::string out;
    std::size_t column = prefixLength;
    std::string_view label = charsetLabel(charset);
    for (std::size_t pos = 0; pos < utf8.size();) {
        std::size_t end = pos;
        std::size_t limit = method == 'B' ? 30 : 16;
        while (end < utf8.size()) {
            std::size_t length = sequenceLength(static_cast<unsigned char>(utf8[end]));
            if (end + length - pos > limit && end > pos) {
                break;
            }
            end += length;
        }
        std::string word = encodedWord(fromUtf8(utf8.substr(pos, end - pos), charset), label, method);
        if (pos > 0) {
            if (column + 1 + word.size() > 76) {
                out += "\n ";
                column = 1;
            } else {
                out += ' ';
                ++column;
            }
        }
        out += word;
        column += word.size();
        pos = end;
    }
    return out;
}

std::string rfc2231Value(std::string_view utf8) {
    std::string out = "UTF-8''";
    for (char ch : utf8) {
        auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
            c == '-' || c == '_') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

} // namespace bench
