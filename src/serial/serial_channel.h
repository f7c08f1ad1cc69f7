#pragma once
// The station's only link to the gateway: the port "COM1", opened once at start and kept
// open to the end. Callers never see a status: failures are reported to the operator in
// message boxes, at most nine counted ones in a run.

#include <cstdint>

#include "platform/clock.h"

void PortOpen();
void PortWrite(const std::uint8_t* frame, std::uint32_t count);
void PortRead(std::uint8_t* buffer, std::uint32_t count);
void PortClose();
void ReportPortError();

// Port name, line settings and time-outs: constants of the program.
namespace serial {
inline constexpr const char* kPortName = "COM1";
inline constexpr std::uint32_t kBaudRate = 4800;
inline constexpr std::uint8_t kByteSize = 8;
inline constexpr std::uint8_t kParity = 2;    // EVENPARITY
inline constexpr std::uint8_t kStopBits = 2;  // TWOSTOPBITS
inline constexpr std::uint32_t kReadIntervalTimeout = 5;
inline constexpr std::uint32_t kReadTotalTimeoutMultiplier = 1;
inline constexpr std::uint32_t kReadTotalTimeoutConstant = 10;
// A box is shown only while the raised count is below this.
inline constexpr std::int32_t kShownReportLimit = 10;
}  // namespace serial

namespace serial {

// One write or read as the system returned it: the bytes asked for and moved, and when the call
// was made and returned (the current clock).
struct Transfer {
    const std::uint8_t* bytes = nullptr;  // the frame written, or the buffer read into
    std::uint32_t asked = 0;
    std::uint32_t moved = 0;              // bytes written, or received
    std::uint32_t error = 0;              // the Win32 code of a failed call; 0 when it succeeded
    platform::Micros call = 0;
    platform::Micros done = 0;
};

// Told of every transfer right after the system call, before any report of its failure (whose
// box may run other exchanges). The exchange trace listens here.
class LineListener {
public:
    virtual ~LineListener() = default;
    virtual void Wrote(const Transfer& t) = 0;
    virtual void Read(const Transfer& t) = 0;
};

// nullptr: nobody listens, and the channel does nothing beyond its own work.
void SetLineListener(LineListener* listener);

}  // namespace serial
