#pragma once
// The program's one format routine, shared by output file names and translated message texts, so a
// directive means the same in both. Directives: "%" [index ":"] ["-"] [width] ["." precision] type,
// with type s, d, u or x in either case; width and precision are digits or "*" (next argument).

#include <cstdint>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// A format failure; the message is the program's own text naming the directive.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One argument: a signed 32-bit integer or a text. An unsigned value is kept as its bit pattern.
class FormatArg {
public:
    FormatArg(std::int32_t value) : m_value(value) {}
    FormatArg(std::uint32_t value) : m_value(static_cast<std::int32_t>(value)) {}
    FormatArg(std::string text) : m_value(std::move(text)) {}
    FormatArg(std::string_view text) : m_value(std::string(text)) {}
    FormatArg(const char* text) : m_value(std::string(text)) {}

    bool isInteger() const { return std::holds_alternative<std::int32_t>(m_value); }
    std::int32_t integer() const { return std::get<std::int32_t>(m_value); }
    const std::string& text() const { return std::get<std::string>(m_value); }

private:
    std::variant<std::int32_t, std::string> m_value;
};

// Formats `pattern` with `args`. A pattern that ends inside a directive ends the output there.
// Throws FormatError "Format '%s' invalid or incompatible with argument" for a type letter that
// does not fit its argument, and "No argument for format '%s'" when the arguments run out.
std::string format(std::string_view pattern, std::span<const FormatArg> args);
std::string format(std::string_view pattern, std::initializer_list<FormatArg> args);

} // namespace platform
