#pragma once
// A virtual device behind a Win32 handle: the calls keep the device's faults, settings and
// time-outs, and its reads and writes take their time on the current clock.

#include <cstdint>

#include "platform/win32/ports.h"

namespace win32 {

DWORD VirtualOpen(VirtualDevice& device);
void VirtualClose(VirtualDevice& device);
DWORD VirtualGetState(VirtualDevice& device, DCB& dcb);
DWORD VirtualSetState(VirtualDevice& device, const DCB& dcb);
DWORD VirtualSetTimeouts(VirtualDevice& device, const COMMTIMEOUTS& timeouts);
// With a virtual clock the read waits as ReadFile would and the clock moves to its end; the
// real clock cannot be moved, so then the read takes what has arrived by now.
DWORD VirtualRead(VirtualDevice& device, const COMMTIMEOUTS& timeouts, std::uint8_t* buffer, DWORD count,
                  DWORD& got);
// The device sees the bytes leave from now, one character time each; a virtual clock moves
// past the last one.
DWORD VirtualWrite(VirtualDevice& device, const std::uint8_t* bytes, DWORD count, DWORD& written);

}  // namespace win32
