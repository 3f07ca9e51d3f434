#include "mapi/PackedRows.h"

#include <algorithm>
#include <cstring>

namespace mapi {
namespace {

// Chunks are large enough that their own cost is nothing per row, and a listing grows one chunk
// at a time instead of doubling one buffer.
constexpr std::size_t kChunkBytes = 256 * 1024;

std::uint64_t readNumber(const char*& at) {
    std::uint64_t value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return value;
    }
}

template <class T> void appendFixed(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

template <class T> T fixedFrom(std::string_view bytes) {
    T value;
    std::memcpy(&value, bytes.data(), sizeof(T));
    return value;
}

} // namespace

void appendPackedNumber(std::string& out, std::uint64_t value) {
    do {
        const auto low = static_cast<unsigned char>(value & 0x7F);
        value >>= 7;
        out.push_back(static_cast<char>(value ? (low | 0x80) : low));
    } while (value);
}

std::uint64_t readPackedNumber(std::string_view& bytes) {
    const char* at = bytes.data();
    const std::uint64_t value = readNumber(at);
    bytes.remove_prefix(static_cast<std::size_t>(at - bytes.data()));
    return value;
}

namespace {

void appendBytes(std::string& out, const void* data, std::size_t size) {
    appendPackedNumber(out, size);
    out.append(static_cast<const char*>(data), size);
}

} // namespace

// Walks the values of one packed row in its shape's order.
class PackedRows::Reader {
public:
    Reader(const PackedRows& rows, std::size_t index) : m_at(rows.start(index)) {
        m_shape = &rows.m_shapes[readNumber(m_at)];
        const std::size_t extraSize = readNumber(m_at);
        m_extra = {m_at, extraSize};
        m_at += extraSize;
    }
    std::string_view extra() const { return m_extra; }
    std::size_t count() const { return m_shape->size(); }
    Packed next() {
        const Field field = (*m_shape)[m_field++];
        std::size_t size = 0;
        switch (field.kind) {
        case Kind::Empty:
            break;
        case Kind::Bool:
            size = 1;
            break;
        case Kind::Long:
            while (static_cast<unsigned char>(m_at[size]) & 0x80)
                ++size;
            ++size;
            break;
        case Kind::Error:
            size = 4;
            break;
        case Kind::Time:
            size = 8;
            break;
        case Kind::String:
        case Kind::Binary:
        case Kind::PrefixedBinary:
            size = readNumber(m_at);
            break;
        }
        const Packed value{field.tag, field.kind, std::string_view(m_at, size)};
        m_at += size;
        return value;
    }

private:
    const char* m_at;
    std::string_view m_extra;
    const Shape* m_shape = nullptr;
    std::size_t m_field = 0;
};

PackedRows::PackedRows(Binary commonPrefix) : m_prefix(std::move(commonPrefix)) {}

void PackedRows::append(const Row& row, std::string_view extra) {
    std::string& out = m_scratch;
    out.clear();
    appendPackedNumber(out, shapeOf(row));
    appendBytes(out, extra.data(), extra.size());
    for (const PropValue& value : row) {
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, bool>)
                    out.push_back(v ? 1 : 0);
                else if constexpr (std::is_same_v<T, std::int32_t>)
                    appendPackedNumber(out, static_cast<std::uint32_t>(v)); // flags and sizes are small
                else if constexpr (std::is_same_v<T, FileTime>)
                    appendFixed(out, v.ticks);
                else if constexpr (std::is_same_v<T, ErrorValue>)
                    appendFixed(out, v.code);
                else if constexpr (std::is_same_v<T, std::string>)
                    appendBytes(out, v.data(), v.size());
                else if constexpr (std::is_same_v<T, Binary>) {
                    const std::size_t skip = startsWithPrefix(v) ? m_prefix.size() : 0;
                    appendBytes(out, v.data() + skip, v.size() - skip);
                }
            },
            value.value);
    }
    store(out);
}

bool PackedRows::startsWithPrefix(const Binary& bytes) const {
    return !m_prefix.empty() && bytes.size() >= m_prefix.size() &&
           std::equal(m_prefix.begin(), m_prefix.end(), bytes.begin());
}

// The key is built in a buffer kept between rows, so a shape seen before costs no allocation.
std::uint32_t PackedRows::shapeOf(const Row& row) {
    std::string& key = m_shapeKey;
    key.clear();
    for (const PropValue& value : row) {
        // In the order of PropValue's alternatives.
        constexpr Kind kKinds[] = {Kind::Empty,  Kind::Bool, Kind::Long, Kind::String,
                                   Kind::Binary, Kind::Time, Kind::Error};
        Kind kind = kKinds[value.value.index()];
        if (kind == Kind::Binary && startsWithPrefix(value.getBinary()))
            kind = Kind::PrefixedBinary;
        appendFixed(key, value.tag);
        key.push_back(static_cast<char>(kind));
    }
    if (const auto found = m_shapeIds.find(key); found != m_shapeIds.end())
        return found->second;
    Shape shape;
    for (std::size_t at = 0; at < key.size(); at += sizeof(PropTag) + 1)
        shape.push_back({fixedFrom<PropTag>(std::string_view(key).substr(at)),
                         static_cast<Kind>(key[at + sizeof(PropTag)])});
    const auto id = static_cast<std::uint32_t>(m_shapes.size());
    m_shapes.push_back(std::move(shape));
    m_shapeIds.emplace(key, id);
    return id;
}

void PackedRows::store(const std::string& encoded) {
    if (m_chunks.empty() || m_capacity - m_used < encoded.size()) {
        m_capacity = std::max(kChunkBytes, encoded.size());
        m_chunks.push_back(std::make_unique_for_overwrite<char[]>(m_capacity));
        m_firstRows.push_back(m_rows.size());
        m_used = 0;
    }
    std::memcpy(m_chunks.back().get() + m_used, encoded.data(), encoded.size());
    m_rows.push_back(static_cast<std::uint32_t>(m_used));
    m_used += encoded.size();
    m_bytes += encoded.size();
}

const char* PackedRows::start(std::size_t index) const {
    const std::uint32_t offset = m_rows.at(index);
    const auto chunk =
        std::upper_bound(m_firstRows.begin(), m_firstRows.end(), index) - m_firstRows.begin() - 1;
    return m_chunks[static_cast<std::size_t>(chunk)].get() + offset;
}

PropValue PackedRows::unpack(const Packed& value) const {
    switch (value.kind) {
    case Kind::Bool:
        return PropValue::boolean(value.tag, value.bytes[0] != 0);
    case Kind::Long: {
        const char* at = value.bytes.data();
        return PropValue::integer(value.tag,
                                  static_cast<std::int32_t>(static_cast<std::uint32_t>(readNumber(at))));
    }
    case Kind::String:
        return PropValue::string(value.tag, std::string(value.bytes));
    case Kind::Binary:
        return PropValue::binary(value.tag, Binary(value.bytes.begin(), value.bytes.end()));
    case Kind::PrefixedBinary: {
        Binary bytes;
        bytes.reserve(m_prefix.size() + value.bytes.size());
        bytes.insert(bytes.end(), m_prefix.begin(), m_prefix.end());
        bytes.insert(bytes.end(), value.bytes.begin(), value.bytes.end());
        return PropValue::binary(value.tag, std::move(bytes));
    }
    case Kind::Time:
        return PropValue::time(value.tag, FileTime{fixedFrom<std::uint64_t>(value.bytes)});
    case Kind::Error:
        return {value.tag, ErrorValue{fixedFrom<HRESULT>(value.bytes)}};
    case Kind::Empty:
        break;
    }
    return {value.tag, std::monostate{}};
}

Row PackedRows::row(std::size_t index) const {
    Reader reader(*this, index);
    Row values;
    values.reserve(reader.count());
    for (std::size_t i = reader.count(); i > 0; --i)
        values.push_back(unpack(reader.next()));
    return values;
}

Row PackedRows::select(std::size_t index, const std::vector<PropTag>& columns) const {
    Reader reader(*this, index);
    std::vector<Packed> packed;
    packed.reserve(reader.count());
    for (std::size_t i = reader.count(); i > 0; --i)
        packed.push_back(reader.next());
    Row values;
    values.reserve(columns.size());
    for (const PropTag column : columns) {
        const auto found =
            std::find_if(packed.begin(), packed.end(), [column](const Packed& p) { return p.tag == column; });
        values.push_back(found != packed.end() ? unpack(*found) : PropValue::error(column, MAPI_E_NOT_FOUND));
    }
    return values;
}

std::optional<PropValue> PackedRows::find(std::size_t index, PropTag tag) const {
    Reader reader(*this, index);
    for (std::size_t i = reader.count(); i > 0; --i) {
        const Packed value = reader.next();
        if (value.tag == tag)
            return unpack(value);
    }
    return std::nullopt;
}

std::string_view PackedRows::extra(std::size_t index) const {
    return Reader(*this, index).extra();
}

std::optional<std::string_view> PackedRows::bytesAfterPrefix(std::size_t index, PropTag tag) const {
    Reader reader(*this, index);
    for (std::size_t i = reader.count(); i > 0; --i) {
        const Packed value = reader.next();
        if (value.tag == tag)
            return value.kind == Kind::PrefixedBinary ? std::optional(value.bytes) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace mapi
