#pragma once
// The MAPI code a file store answers for a failure: the system's reason chooses it, so every
// store reports a missing file, a refused access and a full disk alike.

#include "mapi/Result.h"

#include <exception>

namespace mapi {

constexpr HRESULT MAPI_E_BUSY = hresult(0x8004010B);

// MAPI_E_NOT_FOUND, MAPI_E_NO_ACCESS, MAPI_E_NOT_ENOUGH_DISK, MAPI_E_BUSY (a lock another
// program holds), MAPI_E_NOT_ENOUGH_MEMORY, MAPI_E_DISK_ERROR for other system errors and
// MAPI_E_CALL_FAILED for anything else.
HRESULT mapiCodeOf(const std::exception& error);

} // namespace mapi
