#pragma once
// The open ports behind HANDLE values: a tty descriptor or a virtual device, each with the
// time-outs SetCommTimeouts gave it.

#include <memory>

#include "platform/win32/ports.h"
#include "platform/win32/win32.h"

namespace win32 {

struct PortObject {
    int fd = -1;                            // an open tty, or -1
    std::shared_ptr<VirtualDevice> device;  // or a virtual device
    COMMTIMEOUTS timeouts{};
};

// A new handle for `port`; never INVALID_HANDLE_VALUE, never one given out before.
HANDLE AddHandle(std::shared_ptr<PortObject> port);
// The port behind `handle`, or null for INVALID_HANDLE_VALUE, a closed or an unknown handle.
std::shared_ptr<PortObject> FindHandle(HANDLE handle);
// Takes `handle` out of the table; the port, or null as FindHandle.
std::shared_ptr<PortObject> RemoveHandle(HANDLE handle);

}  // namespace win32
