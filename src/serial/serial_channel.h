#pragma once
// The station's only link to the gateway: the port "COM1", opened once at start and kept
// open to the end. Callers never see a status: failures are reported to the operator in
// message boxes, at most nine counted ones in a run.

#include <cstdint>

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
