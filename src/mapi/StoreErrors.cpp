#include "mapi/StoreErrors.h"

#include <cerrno>
#include <new>
#include <system_error>

namespace mapi {
namespace {

HRESULT codeForErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return MAPI_E_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return MAPI_E_NO_ACCESS;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return MAPI_E_NOT_ENOUGH_DISK;
    case ENOMEM:
        return MAPI_E_NOT_ENOUGH_MEMORY;
    case EWOULDBLOCK:
    case EBUSY:
        return MAPI_E_BUSY;
    default:
        return MAPI_E_DISK_ERROR;
    }
}

} // namespace

HRESULT mapiCodeOf(const std::exception& error) {
    if (const auto* system = dynamic_cast<const std::system_error*>(&error))
        return system->code().category() == std::generic_category() ||
                       system->code().category() == std::system_category()
                   ? codeForErrno(system->code().value())
                   : MAPI_E_DISK_ERROR;
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    return MAPI_E_CALL_FAILED;
}

} // namespace mapi
