#include "i18n/Escapes.h"

namespace i18n {

namespace {

[[noreturn]] void fail(std::string_view problem, std::string_view value) {
    throw EscapeError(std::string(problem) + "\r\n\r\n" + std::string(value));
}

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// The character a one-letter escape stands for, or 0 when the letter is no escape.
char escaped(char letter) {
    switch (letter) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'v':
        return '\v';
    case 'f':
        return '\f';
    case 'r':
        return '\r';
    case 'e':
        return '\x1b';
    case '\\':
        return '\\';
    default:
        return 0;
    }
}

} // namespace

std::string DecodeEscapes(std::string_view value) {
    enum class State { Plain, AfterBackslash, Octal };
    State state = State::Plain;
    int octalValue = 0;
    int octalDigits = 0;
    std::string out;
    for (const char c : value) {
        switch (state) {
        case State::Plain:
            if (c == '\\') {
                state = State::AfterBackslash;
            } else {
                out += c;
            }
            break;
        case State::AfterBackslash:
            if (const char e = escaped(c)) {
                out += e;
                state = State::Plain;
            } else if (isOctal(c)) {
                octalValue = c - '0';
                octalDigits = 1;
                state = State::Octal;
            } else {
                out += '\\';
                out += c;
                state = State::Plain;
            }
            break;
        case State::Octal:
            if (!isOctal(c)) {
                fail("\\OOO You must specify all 3 octal digits (Leading zeros are required)", value);
            }
            octalValue = octalValue * 8 + (c - '0');
            if (++octalDigits == 3) {
                if (octalValue > 255) {
                    fail("\\OOO Maximum octal value is \\377:", value);
                }
                out += static_cast<char>(octalValue);
                state = State::Plain;
            }
            break;
        }
    }
    if (state == State::AfterBackslash) {
        fail("Trailing \\ needs to be followed by another \\ or 3 Octal digits", value);
    }
    if (state == State::Octal) {
        fail("\\OOO Expecting 3 trailing octal digits", value);
    }
    return out;
}

std::string EncodeEscapes(std::string_view text) {
    static constexpr char letters[] = "abtnvfr"; // bytes 7 to 13
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 7 && byte <= 13) {
            out += '\\';
            out += letters[byte - 7];
        } else if (byte == 27) {
            out += "\\e";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (byte >= 32) {
            out += c;
        } else {
            out += '\\';
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        }
    }
    return out;
}

} // namespace i18n
