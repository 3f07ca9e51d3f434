#include "settings/OptionFileStream.h"

#include <limits>

namespace settings {
namespace {

[[noreturn]] void readError() {
    throw OptionFileError("Stream read error");
}
[[noreturn]] void valueError() {
    throw OptionFileError("Invalid property value");
}

} // namespace

void OptionStreamWriter::putLittleEndian(std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        put(static_cast<std::uint8_t>(value >> (8 * i)));
}

void OptionStreamWriter::writeSignature() {
    m_bytes += stream::kSignature;
}

void OptionStreamWriter::writeShortName(std::string_view name) {
    if (name.size() > 255)
        throw OptionFileError("Stream write error");
    put(static_cast<std::uint8_t>(name.size()));
    m_bytes += name;
}

void OptionStreamWriter::writeInteger(std::int32_t value) {
    if (value >= -128 && value <= 127) {
        put(stream::kInt8);
        putLittleEndian(static_cast<std::uint32_t>(value), 1);
    } else if (value >= -32768 && value <= 32767) {
        put(stream::kInt16);
        putLittleEndian(static_cast<std::uint32_t>(value), 2);
    } else {
        put(stream::kInt32);
        putLittleEndian(static_cast<std::uint32_t>(value), 4);
    }
}

void OptionStreamWriter::writeString(std::string_view text) {
    if (text.size() <= 255) {
        put(stream::kString);
        put(static_cast<std::uint8_t>(text.size()));
    } else if (text.size() <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        put(stream::kLongString);
        putLittleEndian(static_cast<std::uint32_t>(text.size()), 4);
    } else {
        throw OptionFileError("Stream write error");
    }
    m_bytes += text;
}

void OptionStreamWriter::writeBoolean(bool value) {
    put(value ? stream::kTrue : stream::kFalse);
}

void OptionStreamWriter::writeEntryId(std::span<const std::uint8_t> bytes) {
    writeInteger(static_cast<std::int32_t>(bytes.size()));
    for (const std::uint8_t byte : bytes)
        writeInteger(byte);
}

void OptionStreamWriter::writeListEnd() {
    put(stream::kNull);
}

OptionStreamReader::OptionStreamReader(std::istream& in, std::uint64_t size) : m_in(in), m_size(size) {}

void OptionStreamReader::readSignature() {
    if (remaining() < stream::kSignature.size() || readBytes(stream::kSignature.size()) != stream::kSignature)
        throw OptionFileError("Invalid stream format");
}

std::uint8_t OptionStreamReader::readByte() {
    return static_cast<std::uint8_t>(readBytes(1)[0]);
}

std::string OptionStreamReader::readBytes(std::uint64_t count) {
    // Checked before the allocation: a length field can claim up to 4 GB.
    if (count > remaining())
        readError();
    std::string bytes(static_cast<std::size_t>(count), '\0');
    m_in.read(bytes.data(), static_cast<std::streamsize>(count));
    if (static_cast<std::uint64_t>(m_in.gcount()) != count)
        readError();
    m_position += count;
    return bytes;
}

std::uint32_t OptionStreamReader::readLittleEndian(int size) {
    const std::string bytes = readBytes(static_cast<std::uint64_t>(size));
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
    return value;
}

std::int32_t OptionStreamReader::readInteger() {
    switch (readByte()) {
    case stream::kInt8:
        return static_cast<std::int8_t>(readLittleEndian(1));
    case stream::kInt16:
        return static_cast<std::int16_t>(readLittleEndian(2));
    case stream::kInt32:
        return static_cast<std::int32_t>(readLittleEndian(4));
    default:
        valueError();
    }
}

std::string OptionStreamReader::readString() {
    switch (readByte()) {
    case stream::kString:
        return readBytes(readLittleEndian(1));
    case stream::kLongString:
        return readBytes(readLittleEndian(4));
    default:
        valueError();
    }
}

bool OptionStreamReader::readBoolean() {
    return readByte() == stream::kTrue;
}

std::vector<std::uint8_t> OptionStreamReader::readEntryId(std::uint32_t minimumSize) {
    const std::int32_t stored = readInteger();
    const std::uint32_t count =
        stored < static_cast<std::int64_t>(minimumSize) ? minimumSize : static_cast<std::uint32_t>(stored);
    // Every integer takes at least two bytes: a count the rest of the file cannot hold is refused
    // before the buffer is made.
    if (static_cast<std::uint64_t>(count) * 2 > remaining())
        readError();
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(readInteger());
    return bytes;
}

} // namespace settings
