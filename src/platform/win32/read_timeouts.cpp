#include "platform/win32/read_timeouts.h"

#include <algorithm>

namespace win32 {

namespace {
constexpr DWORD kMaxDword = 0xFFFFFFFFu;
}

ReadLimits LimitsFor(const COMMTIMEOUTS& t, DWORD count) {
    ReadLimits limits;
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
        t.ReadTotalTimeoutConstant == 0) {
        limits.total = 0;
        return limits;
    }
    if (t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword &&
        t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaxDword) {
        limits.total = platform::Ms(t.ReadTotalTimeoutConstant);
        limits.interval = 0;  // the first byte ends the read
        return limits;
    }
    if (t.ReadIntervalTimeout != 0) limits.interval = platform::Ms(t.ReadIntervalTimeout);
    if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0) {
        // 64-bit: a multiplier times a count overflows 32 bits long before it is absurd.
        const std::int64_t ms = std::int64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
        limits.total = platform::Ms(ms);
    }
    return limits;
}

std::optional<platform::Micros> ReadDeadline(const ReadLimits& limits, platform::Micros callTime,
                                             std::optional<platform::Micros> lastByte) {
    std::optional<platform::Micros> deadline;
    if (limits.total) deadline = callTime + *limits.total;
    if (limits.interval && lastByte) {
        const platform::Micros byInterval = *lastByte + *limits.interval;
        deadline = deadline ? std::min(*deadline, byInterval) : byInterval;
    }
    return deadline;
}

ReadPlan PlanRead(const ReadLimits& limits, DWORD count, platform::Micros callTime,
                  std::span<const platform::Micros> arrivals) {
    ReadPlan plan;
    plan.end = callTime;
    if (count == 0) return plan;
    std::optional<platform::Micros> last;
    for (platform::Micros arrival : arrivals) {
        const platform::Micros t = std::max(arrival, callTime);
        const auto deadline = ReadDeadline(limits, callTime, last);
        if (deadline && t > *deadline) break;
        ++plan.taken;
        last = t;
        if (plan.taken == count) {
            plan.end = t;
            return plan;
        }
    }
    const auto deadline = ReadDeadline(limits, callTime, last);
    plan.end = deadline ? *deadline : last.value_or(callTime);
    return plan;
}

}  // namespace win32
