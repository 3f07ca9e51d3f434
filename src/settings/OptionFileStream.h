#pragma once
// The tagged values of the component stream that option files are made of: one tag byte, then
// little-endian data. The writer always picks the shortest form, so a file it writes is byte for
// byte the file every version of the program writes. The reader checks every length against what
// is left of the input before it allocates anything, so no file can make it exhaust memory.

#include <cstdint>
#include <istream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// A failure to read or write an option file; what() is the text shown to the user.
class OptionFileError : public std::runtime_error {
public:
    explicit OptionFileError(const std::string& text, std::string reason = {})
        : std::runtime_error(text), m_reason(std::move(reason)) {}
    // The system's reason for a failed open, create or write; empty otherwise.
    const std::string& reason() const { return m_reason; }

private:
    std::string m_reason;
};

namespace stream {
// Value tags of the component stream.
inline constexpr std::uint8_t kNull = 0x00;
inline constexpr std::uint8_t kInt8 = 0x02;
inline constexpr std::uint8_t kInt16 = 0x03;
inline constexpr std::uint8_t kInt32 = 0x04;
inline constexpr std::uint8_t kString = 0x06;
inline constexpr std::uint8_t kFalse = 0x08;
inline constexpr std::uint8_t kTrue = 0x09;
inline constexpr std::uint8_t kLongString = 0x0C;

inline constexpr std::string_view kSignature = "TPF0";
} // namespace stream

class OptionStreamWriter {
public:
    void writeSignature();
    // A length byte and the bytes, without tag: at most 255 bytes.
    void writeShortName(std::string_view name);
    void writeInteger(std::int32_t value);
    // Throws "Stream write error" for a text longer than a 32-bit length can hold.
    void writeString(std::string_view text);
    void writeBoolean(bool value);
    // The byte count, then one integer per byte.
    void writeEntryId(std::span<const std::uint8_t> bytes);
    void writeListEnd();

    const std::string& bytes() const { return m_bytes; }

private:
    void put(std::uint8_t byte) { m_bytes += static_cast<char>(byte); }
    void putLittleEndian(std::uint32_t value, int size);

    std::string m_bytes;
};

class OptionStreamReader {
public:
    // Reads `size` bytes from `in`, the whole of what the stream holds.
    OptionStreamReader(std::istream& in, std::uint64_t size);

    // Throws "Invalid stream format" unless the next four bytes are the signature.
    void readSignature();
    std::uint8_t readByte();
    std::string readBytes(std::uint64_t count);
    std::string readShortName() { return readBytes(readByte()); }
    std::int32_t readInteger();
    std::string readString();
    // True only for the true tag; any other tag is false.
    bool readBoolean();
    // An entry id: its byte count n, then max(n, minimumSize) integers of which the low 8 bits are kept.
    std::vector<std::uint8_t> readEntryId(std::uint32_t minimumSize);

    std::uint64_t remaining() const { return m_size - m_position; }

private:
    std::uint32_t readLittleEndian(int size);

    std::istream& m_in;
    std::uint64_t m_size;
    std::uint64_t m_position = 0;
};

} // namespace settings
