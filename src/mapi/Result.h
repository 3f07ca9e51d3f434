#pragma once
// Result codes of the mail subsystem: HRESULTs with MAPI's values, negative meaning failure.

#include <cstdint>

namespace mapi {

using HRESULT = std::int32_t;

constexpr HRESULT hresult(std::uint32_t code) {
    return static_cast<HRESULT>(code);
}
constexpr bool failed(HRESULT hr) {
    return hr < 0;
}
constexpr bool succeeded(HRESULT hr) {
    return hr >= 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT MAPI_W_ERRORS_RETURNED = hresult(0x00040380);
constexpr HRESULT MAPI_W_PARTIAL_COMPLETION = hresult(0x00040680);
constexpr HRESULT MAPI_E_INTERFACE_NOT_SUPPORTED = hresult(0x80004002);
constexpr HRESULT MAPI_E_CALL_FAILED = hresult(0x80004005);
constexpr HRESULT MAPI_E_NO_SUPPORT = hresult(0x80040102);
constexpr HRESULT MAPI_E_INVALID_ENTRYID = hresult(0x80040107);
constexpr HRESULT MAPI_E_OBJECT_CHANGED = hresult(0x80040109);
constexpr HRESULT MAPI_E_OBJECT_DELETED = hresult(0x8004010A);
constexpr HRESULT MAPI_E_NOT_ENOUGH_DISK = hresult(0x8004010D);
constexpr HRESULT MAPI_E_NOT_FOUND = hresult(0x8004010F);
constexpr HRESULT MAPI_E_LOGON_FAILED = hresult(0x80040111);
constexpr HRESULT MAPI_E_USER_CANCEL = hresult(0x80040113);
constexpr HRESULT MAPI_E_NETWORK_ERROR = hresult(0x80040115);
constexpr HRESULT MAPI_E_DISK_ERROR = hresult(0x80040116);
constexpr HRESULT MAPI_E_CORRUPT_DATA = hresult(0x8004011B);
constexpr HRESULT MAPI_E_NOT_INITIALIZED = hresult(0x80040605);
constexpr HRESULT MAPI_E_NO_ACCESS = hresult(0x80070005);
constexpr HRESULT MAPI_E_NOT_ENOUGH_MEMORY = hresult(0x8007000E);
constexpr HRESULT MAPI_E_INVALID_PARAMETER = hresult(0x80070057);

// IStream read failures (STG_E_*), reported by CheckStreamResult.
constexpr HRESULT STG_E_ACCESSDENIED = hresult(0x80030005);
constexpr HRESULT STG_E_READFAULT = hresult(0x8003001D);

} // namespace mapi
