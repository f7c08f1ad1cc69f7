#include "platform/win32/errno_map.h"

#include <cerrno>

namespace win32 {

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
        return ERROR_ACCESS_DENIED;
    case ENOTTY:  // a comm call on something that is no serial device
        return ERROR_INVALID_FUNCTION;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EIO:
    case ENOTCONN:
        return ERROR_DEVICE_NOT_CONNECTED;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    default:
        return ERROR_GEN_FAILURE;
    }
}

}  // namespace win32
