#pragma once
// The helper functions MAPI offers beside its interfaces, written over our interfaces.

#include "mapi/Interfaces.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace mapi {

// Sets `columns` (all when empty), sorts by `sort` when given, and reads every row from the
// beginning. With `maxRows` above 0 a table holding more rows answers MAPI_E_TABLE_TOO_BIG.
HRESULT HrQueryAllRows(IMAPITable& table, const std::vector<PropTag>& columns, const SortOrderSet* sort,
                       std::int32_t maxRows, RowSet& rows);

// One property of `object`: S_OK with the value, the code of its PT_ERROR value, or the failure
// of GetProps. A successful GetProps without values leaves `value` empty.
HRESULT HrGetOneProp(IMAPIProp& object, PropTag tag, std::optional<PropValue>& value);

// Releases a row set; rows are owned values, so nothing can fail.
void FreeProws(RowSet& rows);

// MAPI_E_TABLE_TOO_BIG: more rows than HrQueryAllRows was allowed to read.
constexpr HRESULT MAPI_E_TABLE_TOO_BIG = hresult(0x80040403);

} // namespace mapi
