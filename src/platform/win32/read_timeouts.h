#pragma once
// When a serial read ends under COMMTIMEOUTS, as the Windows serial driver decides it:
// the total limit runs from the call, the interval limit from the last byte received,
// and bytes already waiting at the call count as received at the call. Pure arithmetic,
// shared by the tty read loop and the virtual devices.

#include <cstddef>
#include <optional>
#include <span>

#include "platform/clock.h"
#include "platform/win32/win32.h"

namespace win32 {

struct ReadLimits {
    std::optional<platform::Micros> total;     // from the call; none: no total limit
    std::optional<platform::Micros> interval;  // from the last byte; none: no interval limit
};

// The limits of a read of `count` bytes. Zero fields mean "not used"; MAXDWORD in the interval
// with zero total fields returns at once with what is waiting; MAXDWORD interval and multiplier
// with a constant wait up to the constant for the first byte and return with it.
ReadLimits LimitsFor(const COMMTIMEOUTS& timeouts, DWORD count);

// The moment the read ends if no further byte comes; none: it waits for ever.
std::optional<platform::Micros> ReadDeadline(const ReadLimits& limits, platform::Micros callTime,
                                             std::optional<platform::Micros> lastByte);

struct ReadPlan {
    std::size_t taken = 0;     // bytes the read returns, the oldest first
    platform::Micros end = 0;  // when it returns
};

// A read of `count` bytes called at `callTime` over bytes arriving at `arrivals` (oldest first,
// nothing else will arrive). A byte complete exactly at a deadline is still taken. A read
// that would wait for ever ends at its last byte (or at the call), since no byte can come.
ReadPlan PlanRead(const ReadLimits& limits, DWORD count, platform::Micros callTime,
                  std::span<const platform::Micros> arrivals);

}  // namespace win32
