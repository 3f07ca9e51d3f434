#pragma once
// A table over rows held in memory: the contents, hierarchy and store tables of every provider.
// Each row holds all properties of its object; SetColumns chooses which come back and in what
// order, a column the row lacks comes back as a PT_ERROR value of MAPI_E_NOT_FOUND. The rows are
// kept packed (see PackedRows.h); sorting orders the table's own list of row numbers.

#include "mapi/Interfaces.h"
#include "mapi/PackedRows.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace mapi {

using SharedRows = std::vector<std::shared_ptr<const Row>>;

class RowTable : public IMAPITable {
public:
    explicit RowTable(RowSet rows);
    explicit RowTable(const SharedRows& rows);
    // Rows the provider keeps too (a listing kept for opening its messages): held once, not copied.
    explicit RowTable(std::shared_ptr<const PackedRows> rows);

    HRESULT SetColumns(const std::vector<PropTag>& columns, std::uint32_t flags) override;
    HRESULT SortTable(const SortOrderSet& order, std::uint32_t flags) override;
    HRESULT GetRowCount(std::uint32_t flags, std::uint32_t& count) override;
    HRESULT SeekRow(Bookmark origin, std::int32_t rowCount, std::int32_t* rowsSought) override;
    HRESULT QueryRows(std::int32_t rowCount, std::uint32_t flags, RowSet& rows) override;

private:
    std::shared_ptr<const PackedRows> m_rows;
    std::vector<std::uint32_t> m_order; // row numbers in table order
    std::vector<PropTag> m_columns;     // empty: every property of the row
    std::size_t m_position = 0;
};

// The value of `tag` in `row` (matched by property id and type), or nullptr.
const PropValue* findProp(const Row& row, PropTag tag);

} // namespace mapi
