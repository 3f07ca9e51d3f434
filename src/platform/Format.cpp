#include "platform/Format.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <limits>
#include <optional>

namespace platform {

namespace {

// Error texts quote the directive, cut to this many characters.
constexpr std::size_t kMaxQuotedDirective = 31;
// A width no file name or message text can use; a larger one is refused instead of allocated.
constexpr std::int64_t kMaxWidth = 65536;
// Integer precisions above this are ignored.
constexpr std::int64_t kMaxIntegerPrecision = 16;

struct Number {
    enum class Kind { None, Digits, Star };
    Kind kind = Kind::None;
    std::int64_t value = 0;
};

struct Directive {
    std::string_view text;
    std::optional<std::int64_t> index;
    bool leftAlign = false;
    Number width;
    Number precision;
    char type = 0;
};

std::string quoted(const Directive& directive) {
    return std::string(directive.text.substr(0, kMaxQuotedDirective));
}

FormatError invalidFormat(const Directive& directive) {
    return FormatError("Format '" + quoted(directive) + "' invalid or incompatible with argument");
}

FormatError noArgument(const Directive& directive) {
    return FormatError("No argument for format '" + quoted(directive) + "'");
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits saturate instead of overflowing; the caller refuses values that are too large.
Number parseNumber(std::string_view pattern, std::size_t& pos) {
    Number number;
    if (pos < pattern.size() && pattern[pos] == '*') {
        number.kind = Number::Kind::Star;
        ++pos;
        return number;
    }
    while (pos < pattern.size() && isDigit(pattern[pos])) {
        number.kind = Number::Kind::Digits;
        number.value = std::min<std::int64_t>(number.value * 10 + (pattern[pos] - '0'),
                                              std::numeric_limits<std::int32_t>::max());
        ++pos;
    }
    return number;
}

// Parses the directive whose "%" is at `pos`; nothing when the pattern ends inside it.
std::optional<Directive> parseDirective(std::string_view pattern, std::size_t& pos) {
    const std::size_t start = pos++;
    Directive directive;
    Number first = parseNumber(pattern, pos);
    if (first.kind == Number::Kind::Digits && pos < pattern.size() && pattern[pos] == ':') {
        directive.index = first.value;
        ++pos;
        first = Number{};
    }
    if (first.kind == Number::Kind::None) {
        if (pos < pattern.size() && pattern[pos] == '-') {
            directive.leftAlign = true;
            ++pos;
        }
        first = parseNumber(pattern, pos);
    }
    directive.width = first;
    if (pos < pattern.size() && pattern[pos] == '.') {
        ++pos;
        directive.precision = parseNumber(pattern, pos);
        if (directive.precision.kind == Number::Kind::None) {
            directive.precision.kind = Number::Kind::Digits;
        }
    }
    if (pos >= pattern.size()) {
        return std::nullopt;
    }
    directive.type = pattern[pos++];
    directive.text = pattern.substr(start, pos - start);
    return directive;
}

class Arguments {
public:
    explicit Arguments(std::span<const FormatArg> args) : m_args(args) {}

    void moveTo(std::int64_t index) { m_next = index; }

    const FormatArg& take(const Directive& directive) {
        if (m_next < 0 || m_next >= static_cast<std::int64_t>(m_args.size())) {
            throw noArgument(directive);
        }
        return m_args[static_cast<std::size_t>(m_next++)];
    }

    // A width or precision: its digits, the next argument for "*", or -1 when absent.
    std::int64_t resolve(const Number& number, const Directive& directive) {
        switch (number.kind) {
        case Number::Kind::None:
            return -1;
        case Number::Kind::Digits:
            return number.value;
        case Number::Kind::Star:
            break;
        }
        const FormatArg& arg = take(directive);
        if (!arg.isInteger()) {
            throw invalidFormat(directive);
        }
        return arg.integer();
    }

private:
    std::span<const FormatArg> m_args;
    std::int64_t m_next = 0;
};

std::string hexDigits(std::uint32_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

std::string integerText(char type, std::int32_t value, std::int64_t precision) {
    std::string sign;
    std::string digits;
    switch (type) {
    case 'd':
        if (value < 0) {
            sign = "-";
        }
        digits = std::to_string(std::llabs(static_cast<long long>(value)));
        break;
    case 'u':
        digits = std::to_string(static_cast<std::uint32_t>(value));
        break;
    default:
        digits = hexDigits(static_cast<std::uint32_t>(value));
        break;
    }
    if (precision >= 0 && precision <= kMaxIntegerPrecision &&
        digits.size() < static_cast<std::size_t>(precision)) {
        digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    }
    return sign + digits;
}

std::string directiveText(const Directive& directive, Arguments& args) {
    if (directive.index) {
        args.moveTo(*directive.index);
    }
    const std::int64_t width = args.resolve(directive.width, directive);
    const std::int64_t precision = args.resolve(directive.precision, directive);
    if (width > kMaxWidth) {
        throw invalidFormat(directive);
    }
    const FormatArg& arg = args.take(directive);
    const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(directive.type)));

    std::string text;
    if (type == 'd' || type == 'u' || type == 'x') {
        if (!arg.isInteger()) {
            throw invalidFormat(directive);
        }
        text = integerText(type, arg.integer(), precision);
    } else if (type == 's') {
        if (arg.isInteger()) {
            throw invalidFormat(directive);
        }
        text = arg.text();
        if (precision >= 0 && text.size() > static_cast<std::size_t>(precision)) {
            text.resize(static_cast<std::size_t>(precision));
        }
    } else {
        throw invalidFormat(directive);
    }

    // A negative width from "*" asks for no minimum length.
    if (width > 0 && text.size() < static_cast<std::size_t>(width)) {
        const std::size_t fill = static_cast<std::size_t>(width) - text.size();
        if (directive.leftAlign) {
            text.append(fill, ' ');
        } else {
            text.insert(0, fill, ' ');
        }
    }
    return text;
}

} // namespace

std::string format(std::string_view pattern, std::span<const FormatArg> args) {
    Arguments arguments(args);
    std::string out;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        if (pattern[pos] != '%') {
            out += pattern[pos++];
            continue;
        }
        if (pos + 1 < pattern.size() && pattern[pos + 1] == '%') {
            out += '%';
            pos += 2;
            continue;
        }
        const std::optional<Directive> directive = parseDirective(pattern, pos);
        if (!directive) {
            break;
        }
        out += directiveText(*directive, arguments);
    }
    return out;
}

std::string format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return format(pattern, std::span<const FormatArg>(args.begin(), args.size()));
}

} // namespace platform
