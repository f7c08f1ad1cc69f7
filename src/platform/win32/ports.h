#pragma once
// Linux side of the Win32 layer: where "COM1" leads, the virtual devices tests plug in,
// and the hook that carries MessageBoxA to the window backend.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/clock.h"
#include "platform/win32/win32.h"

namespace win32 {

// Maps a Windows port name ("COM1") to a device path ("/dev/ttyUSB0").
// Names without a mapping open /dev/ttyS<n-1> for COM<n>.
void SetPortPath(const std::string& portName, const std::string& devicePath);
std::string PortPath(const std::string& portName);

// Line settings as the DCB states them; a virtual device receives them.
struct LineSettings {
    DWORD baudRate = 0;
    BYTE byteSize = 8;
    BYTE parity = NOPARITY;
    BYTE stopBits = ONESTOPBIT;
};

// Time one character occupies on the line: start bit, data bits, parity bit, stop bits.
platform::Micros CharacterTime(const LineSettings& line);

// What a failing call of a virtual device reports; nullopt lets the call succeed.
struct DeviceFaults {
    std::optional<DWORD> open;
    std::optional<DWORD> getCommState;
    std::optional<DWORD> setCommState;
    std::optional<DWORD> setCommTimeouts;
    std::deque<DWORD> writes;  // the next writes fail with these codes, one each
    std::deque<DWORD> reads;   // the next reads fail with these codes, one each
};

// A serial device that lives in the process: the far end of "COM1" in station tests.
// The station's writes reach OnWrite; the far end answers with Deliver. Time is the
// current clock's: a write takes the bytes' time on the line, and a read waits (moves
// the clock) exactly as ReadFile would under the port's COMMTIMEOUTS.
class VirtualDevice {
public:
    virtual ~VirtualDevice() = default;

    // Called by the Win32 layer.
    virtual void OnOpen() {}
    virtual void OnClose() {}
    virtual void OnSettings(const LineSettings&) {}
    // The station wrote `bytes`; the first bit left at `start`, each character took `charTime`.
    virtual void OnWrite(std::span<const std::uint8_t> bytes, platform::Micros start,
                         platform::Micros charTime) = 0;

    // Called by the far end: `bytes` reach the station's receive buffer, the first one
    // complete at `firstArrival`, the next ones `gap` apart.
    void Deliver(std::span<const std::uint8_t> bytes, platform::Micros firstArrival,
                 platform::Micros gap);
    void DeliverAt(std::uint8_t byte, platform::Micros arrival);

    // Bytes not yet read by the station, with their arrival times, oldest first.
    struct TimedByte {
        platform::Micros arrival;
        std::uint8_t value;
    };
    std::deque<TimedByte>& Pending() { return pending_; }

    DeviceFaults faults;
    LineSettings line{};
    COMMTIMEOUTS timeouts{};  // as the last SetCommTimeouts set them
    bool isOpen = false;

private:
    std::deque<TimedByte> pending_;
};

// Registers a virtual device under a port name; CreateFileA of that name opens it.
void RegisterVirtualDevice(const std::string& portName, std::shared_ptr<VirtualDevice> device);
void UnregisterVirtualDevice(const std::string& portName);
std::shared_ptr<VirtualDevice> FindVirtualDevice(const std::string& portName);

// MessageBoxA shows its box through this hook (set by the window backend). Without a hook
// the box is written to stderr and answered with IDOK.
using MessageBoxHook = std::function<int(const std::string& text, const std::string& caption,
                                         UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

// The text FormatMessageA gives for a code, or nullopt where it has none.
std::optional<std::string> SystemMessage(DWORD code);

}  // namespace win32
