#include "mapi/Helpers.h"

#include <limits>

namespace mapi {

HRESULT HrQueryAllRows(IMAPITable& table, const std::vector<PropTag>& columns, const SortOrderSet* sort,
                       std::int32_t maxRows, RowSet& rows) {
    rows.clear();
    HRESULT hr = table.SetColumns(columns, 0);
    if (failed(hr))
        return hr;
    if (sort) {
        hr = table.SortTable(*sort, 0);
        if (failed(hr))
            return hr;
    }
    hr = table.SeekRow(Bookmark::Beginning, 0, nullptr);
    if (failed(hr))
        return hr;
    // A provider may answer fewer rows than asked, so read until an empty batch.
    const std::int32_t batch = maxRows > 0 ? maxRows + 1 : std::numeric_limits<std::int32_t>::max();
    for (;;) {
        RowSet part;
        hr = table.QueryRows(batch, 0, part);
        if (failed(hr)) {
            rows.clear();
            return hr;
        }
        if (part.empty())
            break;
        for (auto& row : part)
            rows.push_back(std::move(row));
        if (maxRows > 0 && rows.size() > static_cast<std::size_t>(maxRows)) {
            rows.clear();
            return MAPI_E_TABLE_TOO_BIG;
        }
    }
    return S_OK;
}

HRESULT HrGetOneProp(IMAPIProp& object, PropTag tag, std::optional<PropValue>& value) {
    value.reset();
    std::vector<PropValue> values;
    const HRESULT hr = object.GetProps({tag}, 0, values);
    if (failed(hr))
        return hr;
    if (values.empty())
        return hr;
    if (propType(values.front().tag) == PT_ERROR) {
        const auto* error = std::get_if<ErrorValue>(&values.front().value);
        return error ? error->code : MAPI_E_CALL_FAILED;
    }
    value = std::move(values.front());
    return S_OK;
}

void FreeProws(RowSet& rows) {
    rows.clear();
    rows.shrink_to_fit();
}

} // namespace mapi
