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

namespace {

std::shared_ptr<const PackedRows> packed(const auto& rows, const auto& rowOf) {
    auto packed = std::make_shared<PackedRows>();
    for (const auto& row : rows)
        packed->append(rowOf(row));
    return packed;
}

} // namespace

RowTable::RowTable(RowSet rows) : RowTable(packed(rows, [](const Row& row) -> const Row& { return row; })) {}

RowTable::RowTable(const SharedRows& rows)
    : RowTable(packed(rows, [](const std::shared_ptr<const Row>& row) -> const Row& { return *row; })) {}

RowTable::RowTable(std::shared_ptr<const PackedRows> rows)
    : m_rows(std::move(rows)), m_order(m_rows->size()) {
    for (std::uint32_t i = 0; i < m_order.size(); ++i)
        m_order[i] = i;
}

HRESULT RowTable::SetColumns(const std::vector<PropTag>& columns, std::uint32_t) {
    m_columns = columns;
    return S_OK;
}

HRESULT RowTable::SortTable(const SortOrderSet& order, std::uint32_t) {
    // Each row's key values are unpacked once, not at every comparison.
    std::vector<PropTag> keyTags;
    for (const auto& key : order)
        keyTags.push_back(key.tag);
    std::vector<std::optional<PropValue>> keys;
    keys.reserve(m_rows->size() * order.size());
    for (std::size_t row = 0; row < m_rows->size(); ++row)
        for (const PropTag tag : keyTags)
            keys.push_back(m_rows->find(row, tag));
    const auto valueOf = [&](std::uint32_t row, std::size_t key) {
        const auto& value = keys[row * order.size() + key];
        return value ? &*value : nullptr;
    };
    std::stable_sort(m_order.begin(), m_order.end(), [&](std::uint32_t a, std::uint32_t b) {
        for (std::size_t key = 0; key < order.size(); ++key) {
            const int c = compareValues(valueOf(a, key), valueOf(b, key));
            if (c != 0)
                return order[key].descending ? c > 0 : c < 0;
        }
        return false;
    });
    m_position = 0;
    return S_OK;
}

HRESULT RowTable::GetRowCount(std::uint32_t, std::uint32_t& count) {
    count = static_cast<std::uint32_t>(m_order.size());
    return S_OK;
}

HRESULT RowTable::SeekRow(Bookmark origin, std::int32_t rowCount, std::int32_t* rowsSought) {
    const auto size = static_cast<std::int64_t>(m_order.size());
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
    const std::size_t end = std::min(m_order.size(), m_position + static_cast<std::size_t>(rowCount));
    for (; m_position < end; ++m_position) {
        const std::uint32_t row = m_order[m_position];
        rows.push_back(m_columns.empty() ? m_rows->row(row) : m_rows->select(row, m_columns));
    }
    return S_OK;
}

} // namespace mapi
