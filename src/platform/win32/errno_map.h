#pragma once
// errno of a failed POSIX call as the Win32 code the same failure gives on Windows.

#include "platform/win32/win32.h"

namespace win32 {

DWORD ErrorFromErrno(int error);

}  // namespace win32
