#pragma once
// Table rows held compactly, for listings of 100,000 messages and more. A row's list of tags and
// value types (its shape) is stored once per table, not once per row; its values are packed one
// after another into large chunks of bytes, so a row costs its data and a few bytes, without an
// allocation per value; binary values that begin with the table's common prefix (a store's entry
// id, which starts every entry id of its objects) are kept without it. A provider may keep bytes
// of its own beside each row (where the object lives), given back by extra(); they come first in
// the row, so reading them walks no values.
//
// Rows come back as the same PropValues that went in: tags, types and order unchanged.

#include "mapi/PropValue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mapi {

class PackedRows {
public:
    explicit PackedRows(Binary commonPrefix = {});

    void append(const Row& row, std::string_view extra = {});

    std::size_t size() const { return m_rows.size(); }
    // Every value of the row, in the order they were appended.
    Row row(std::size_t index) const;
    // The values of `columns`, in that order; a column the row lacks (no value with exactly that
    // tag) comes back as a PT_ERROR value of MAPI_E_NOT_FOUND.
    Row select(std::size_t index, const std::vector<PropTag>& columns) const;
    // The first value of the row with exactly `tag`; nothing when it has none.
    std::optional<PropValue> find(std::size_t index, PropTag tag) const;
    std::string_view extra(std::size_t index) const;
    // The bytes after the common prefix of the row's first value with exactly `tag` when that is
    // a binary value beginning with the prefix; nothing otherwise. Reads without copying.
    std::optional<std::string_view> bytesAfterPrefix(std::size_t index, PropTag tag) const;
    // Bytes held for the rows' data (not counting the per-row place).
    std::size_t bytes() const { return m_bytes; }

private:
    enum class Kind : std::uint8_t { Empty, Bool, Long, String, Binary, PrefixedBinary, Time, Error };
    struct Field {
        PropTag tag;
        Kind kind;
    };
    using Shape = std::vector<Field>;
    // One packed value: its tag, kind and bytes (for strings and binaries, without the length).
    struct Packed {
        PropTag tag;
        Kind kind;
        std::string_view bytes;
    };
    class Reader;

    bool startsWithPrefix(const Binary& bytes) const;
    std::uint32_t shapeOf(const Row& row);
    void store(const std::string& encoded);
    PropValue unpack(const Packed& value) const;
    const char* start(std::size_t index) const;

    Binary m_prefix;
    std::vector<Shape> m_shapes;
    std::unordered_map<std::string, std::uint32_t> m_shapeIds;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::vector<std::size_t> m_firstRows; // of each chunk
    std::size_t m_used = 0;               // bytes used of the last chunk
    std::size_t m_capacity = 0;           // its size
    std::vector<std::uint32_t> m_rows;    // each row's offset in its chunk
    std::size_t m_bytes = 0;
    std::string m_scratch;
    std::string m_shapeKey;
};

// The variable-length numbers rows are packed with (seven bits a byte), for a provider's extra
// bytes too. Reading advances `bytes` past the number.
void appendPackedNumber(std::string& out, std::uint64_t value);
std::uint64_t readPackedNumber(std::string_view& bytes);

} // namespace mapi
