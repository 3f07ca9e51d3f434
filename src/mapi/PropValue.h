#pragma once
// One property value: a tag and a value of the tag's type. A PT_ERROR value carries the code
// that explains why the property could not be had (GetProps with MAPI_W_ERRORS_RETURNED).

#include "mapi/PropTags.h"
#include "mapi/Result.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace mapi {

using Binary = std::vector<std::uint8_t>;

// 100-nanosecond intervals since 1 January 1601 UTC.
struct FileTime {
    std::uint64_t ticks = 0;
    friend bool operator==(const FileTime&, const FileTime&) = default;
};

struct ErrorValue {
    HRESULT code = MAPI_E_NOT_FOUND;
    friend bool operator==(const ErrorValue&, const ErrorValue&) = default;
};

struct PropValue {
    PropTag tag = 0;
    std::variant<std::monostate, bool, std::int32_t, std::string, Binary, FileTime, ErrorValue> value;

    static PropValue boolean(PropTag t, bool v) { return {t, v}; }
    static PropValue integer(PropTag t, std::int32_t v) { return {t, v}; }
    static PropValue string(PropTag t, std::string v) { return {t, std::move(v)}; }
    static PropValue binary(PropTag t, Binary v) { return {t, std::move(v)}; }
    static PropValue time(PropTag t, FileTime v) { return {t, v}; }
    // The PT_ERROR value reported for a property that is missing or failed.
    static PropValue error(PropTag requested, HRESULT code) {
        return {changePropType(requested, PT_ERROR), ErrorValue{code}};
    }

    bool getBool() const { return std::get<bool>(value); }
    std::int32_t getLong() const { return std::get<std::int32_t>(value); }
    const std::string& getString() const { return std::get<std::string>(value); }
    const Binary& getBinary() const { return std::get<Binary>(value); }
    FileTime getTime() const { return std::get<FileTime>(value); }
    HRESULT getError() const { return std::get<ErrorValue>(value).code; }

    friend bool operator==(const PropValue&, const PropValue&) = default;
};

using Row = std::vector<PropValue>;
using RowSet = std::vector<Row>;

struct SortKey {
    PropTag tag = 0;
    bool descending = false;
};
using SortOrderSet = std::vector<SortKey>;

// A property SetProps could not set.
struct PropProblem {
    std::uint32_t index = 0;
    PropTag tag = 0;
    HRESULT code = 0;
};

} // namespace mapi
