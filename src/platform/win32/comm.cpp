// The Win32 file and comm calls of the serial channel: each finds the port behind its handle
// (a tty or a virtual device), does the work, and leaves its failure in GetLastError.

#include <cstdint>

#include "platform/win32/handle_table.h"
#include "platform/win32/ports.h"
#include "platform/win32/tty_port.h"
#include "platform/win32/virtual_port.h"

namespace win32 {

namespace {

BOOL Done(DWORD error) {
    if (error == ERROR_SUCCESS) return TRUE_;
    SetLastError(error);
    return FALSE_;
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD, DWORD, void*, DWORD creationDisposition, DWORD, HANDLE) {
    if (!fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto port = std::make_shared<PortObject>();
    // A device a test registered under the name comes before any device path.
    if (auto device = FindVirtualDevice(fileName)) {
        if (const DWORD e = VirtualOpen(*device); e != ERROR_SUCCESS) {
            SetLastError(e);
            return INVALID_HANDLE_VALUE;
        }
        port->device = std::move(device);
    } else if (const DWORD e = TtyOpen(PortPath(fileName), port->fd); e != ERROR_SUCCESS) {
        SetLastError(e);
        return INVALID_HANDLE_VALUE;
    }
    // Windows reports an existing file opened with OPEN_ALWAYS this way, and a device always exists.
    SetLastError(creationDisposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return AddHandle(std::move(port));
}

BOOL GetCommState(HANDLE file, DCB* dcb) {
    auto port = FindHandle(file);
    if (!port) return Done(ERROR_INVALID_HANDLE);
    if (!dcb) return Done(ERROR_INVALID_PARAMETER);
    return Done(port->device ? VirtualGetState(*port->device, *dcb) : TtyGetState(port->fd, *dcb));
}

BOOL SetCommState(HANDLE file, DCB* dcb) {
    auto port = FindHandle(file);
    if (!port) return Done(ERROR_INVALID_HANDLE);
    if (!dcb) return Done(ERROR_INVALID_PARAMETER);
    return Done(port->device ? VirtualSetState(*port->device, *dcb) : TtySetState(port->fd, *dcb));
}

BOOL SetCommTimeouts(HANDLE file, COMMTIMEOUTS* timeouts) {
    auto port = FindHandle(file);
    if (!port) return Done(ERROR_INVALID_HANDLE);
    if (!timeouts) return Done(ERROR_INVALID_PARAMETER);
    if (port->device)
        if (const DWORD e = VirtualSetTimeouts(*port->device, *timeouts); e != ERROR_SUCCESS) return Done(e);
    port->timeouts = *timeouts;
    return TRUE_;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped) {
    if (bytesRead) *bytesRead = 0;
    auto port = FindHandle(file);
    if (!port) return Done(ERROR_INVALID_HANDLE);
    if (overlapped || (!buffer && bytesToRead > 0)) return Done(ERROR_INVALID_PARAMETER);
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    DWORD got = 0;
    const DWORD e = port->device ? VirtualRead(*port->device, port->timeouts, bytes, bytesToRead, got)
                                 : TtyRead(port->fd, port->timeouts, bytes, bytesToRead, got);
    if (bytesRead) *bytesRead = got;
    return Done(e);
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void* overlapped) {
    if (bytesWritten) *bytesWritten = 0;
    auto port = FindHandle(file);
    if (!port) return Done(ERROR_INVALID_HANDLE);
    if (overlapped || (!buffer && bytesToWrite > 0)) return Done(ERROR_INVALID_PARAMETER);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    DWORD written = 0;
    const DWORD e = port->device ? VirtualWrite(*port->device, bytes, bytesToWrite, written)
                                 : TtyWrite(port->fd, port->timeouts, bytes, bytesToWrite, written);
    if (bytesWritten) *bytesWritten = written;
    return Done(e);
}

BOOL CloseHandle(HANDLE object) {
    auto port = RemoveHandle(object);
    if (!port) return Done(ERROR_INVALID_HANDLE);
    if (port->device)
        VirtualClose(*port->device);
    else
        TtyClose(port->fd);
    return TRUE_;
}

}  // namespace win32
