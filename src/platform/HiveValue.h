#pragma once
// A typed value of the hive file. Every type keeps its data as bytes, as the registry does, so a
// value of a type this program never writes (hex(7), for instance) survives a rewrite unchanged.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Registry value types; the numbers are the registry's own (REG_SZ = 1 and so on).
enum class HiveType : std::uint32_t {
    String = 1,
    ExpandString = 2,
    Binary = 3,
    Dword = 4,
};

struct HiveValue {
    HiveType type = HiveType::Binary;
    // String and ExpandString: the text without terminator; Dword: 4 bytes little-endian;
    // every other type: the raw bytes.
    std::string data;

    static HiveValue string(std::string text) { return {HiveType::String, std::move(text)}; }
    static HiveValue expandString(std::string text) { return {HiveType::ExpandString, std::move(text)}; }
    static HiveValue binary(std::string bytes) { return {HiveType::Binary, std::move(bytes)}; }
    static HiveValue dword(std::uint32_t value) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        return {HiveType::Dword, std::move(bytes)};
    }

    bool isText() const { return type == HiveType::String || type == HiveType::ExpandString; }
    // The number of a Dword value (its 4 bytes little-endian).
    std::uint32_t dwordValue() const {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
        return value;
    }

    bool operator==(const HiveValue&) const = default;
};

} // namespace platform
