#pragma once
// A real serial device behind a Win32 handle: termios for the line, poll() on the monotonic
// clock for the time-outs. Each call returns ERROR_SUCCESS or the Win32 code of its failure.

#include <cstdint>
#include <string>

#include "platform/win32/win32.h"

namespace win32 {

// Opens `path` for reading and writing, exclusively: a second opener, root included, is
// refused with ERROR_ACCESS_DENIED as Windows refuses a second open of a COM port.
DWORD TtyOpen(const std::string& path, int& fd);
void TtyClose(int fd);

DWORD TtyGetState(int fd, DCB& dcb);
// Raw mode with the DCB's speed, size, parity and stop bits, written once and read back.
DWORD TtySetState(int fd, const DCB& dcb);

// ReadFile under `timeouts`: success with whatever arrived in time, also nothing. A device
// that went away fails at once with ERROR_DEVICE_NOT_CONNECTED. Only buffer[0..got) is written.
DWORD TtyRead(int fd, const COMMTIMEOUTS& timeouts, std::uint8_t* buffer, DWORD count, DWORD& got);
// WriteFile: returns once the kernel has taken every byte (or the write time-out, if one is
// set, has passed).
DWORD TtyWrite(int fd, const COMMTIMEOUTS& timeouts, const std::uint8_t* bytes, DWORD count,
               DWORD& written);

}  // namespace win32
