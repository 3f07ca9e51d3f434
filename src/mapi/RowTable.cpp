#include "mapi/RowTable.h"

#include <algorithm>

namespace mapi {
namespace {

// Orders two values of one sort key; a missing value sorts before any present one.
int compareValues(const PropValue* a, const PropValue* b) {
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    if (a->value.index() != b->value.index())
        return static_cast<int>(a->value.index()) - static_cast<int>(b->value.index());
    return std::visit(
        [&](const auto& left) -> int {
            using T = std::decay_t<decltype(left)>;
            const auto& right = std::get<T>(b->value);
            if constexpr (std::is_same_v<T, FileTime>)
                return left.ticks < right.ticks ? -1 : (right.ticks < left.ticks ? 1 : 0);
            else if constexpr (std::is_same_v<T, ErrorValue> || std::is_same_v<T, std::monostate>)
                return 0;
            else
                return left < right ? -1 : (right < left ? 1 : 0);
        },
        a->value);
}

} // namespace

const PropValue* findProp(const Row& row, PropTag tag) {
    for (const auto& value : row)
        if (value.tag == tag)
            return &value;
    return nullptr;
}

RowTable::RowTable(RowSet rows) {
    m_rows.reserve(rows.size());
    for (Row& row : rows)
        m_rows.push_back(std::make_shared<const Row>(std::move(row)));
}

RowTable::RowTable(SharedRows rows) : m_rows(std::move(rows)) {}

HRESULT RowTable::SetColumns(const std::vector<PropTag>& columns, std::uint32_t) {
    m_columns = columns;
    return S_OK;
}

HRESULT RowTable::SortTable(const SortOrderSet& order, std::uint32_t) {
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const auto& a, const auto& b) {
        for (const auto& key : order) {
            const int c = compareValues(findProp(*a, key.tag), findProp(*b, key.tag));
            if (c != 0)
                return key.descending ? c > 0 : c < 0;
        }
        return false;
    });
    m_position = 0;
    return S_OK;
}

HRESULT RowTable::GetRowCount(std::uint32_t, std::uint32_t& count) {
    count = static_cast<std::uint32_t>(m_rows.size());
    return S_OK;
}

HRESULT RowTable::SeekRow(Bookmark origin, std::int32_t rowCount, std::int32_t* rowsSought) {
    const auto size = static_cast<std::int64_t>(m_rows.size());
    std::int64_t base = 0;
    if (origin == Bookmark::Current)
        base = static_cast<std::int64_t>(m_position);
    else if (origin == Bookmark::End)
        base = size;
    const std::int64_t target = std::clamp<std::int64_t>(base + rowCount, 0, size);
    if (rowsSought)
        *rowsSought = static_cast<std::int32_t>(target - base);
    m_position = static_cast<std::size_t>(target);
    return S_OK;
}

HRESULT RowTable::QueryRows(std::int32_t rowCount, std::uint32_t, RowSet& rows) {
    rows.clear();
    if (rowCount <= 0)
        return MAPI_E_INVALID_PARAMETER;
    const std::size_t end = std::min(m_rows.size(), m_position + static_cast<std::size_t>(rowCount));
    for (; m_position < end; ++m_position)
        rows.push_back(project(*m_rows[m_position]));
    return S_OK;
}

Row RowTable::project(const Row& row) const {
    if (m_columns.empty())
        return row;
    Row projected;
    projected.reserve(m_columns.size());
    for (const PropTag column : m_columns) {
        const PropValue* value = findProp(row, column);
        projected.push_back(value ? *value : PropValue::error(column, MAPI_E_NOT_FOUND));
    }
    return projected;
}

} // namespace mapi
