#pragma once
// The one clock of the station: the pauses between requests, the window timers and the
// virtual serial devices all read it. In production it is the monotonic clock and Sleep
// blocks the thread; in station tests it is virtual and Sleep only moves it forward.

#include <cstdint>

namespace platform {

using Micros = std::int64_t;

constexpr Micros Ms(std::int64_t ms) { return ms * 1000; }

class Clock {
public:
    virtual ~Clock() = default;
    virtual Micros Now() const = 0;    // monotonic, microseconds
    virtual void Sleep(Micros d) = 0;  // blocks (real) or advances (virtual)
};

// The monotonic clock of the machine.
class RealClock final : public Clock {
public:
    Micros Now() const override;
    void Sleep(Micros d) override;
};

// Time that moves only when told to.
class VirtualClock final : public Clock {
public:
    Micros Now() const override { return now_; }
    void Sleep(Micros d) override { if (d > 0) now_ += d; }
    void AdvanceTo(Micros t) { if (t > now_) now_ = t; }

private:
    Micros now_ = 0;
};

// The clock in force; the real one unless a backend or a test installs another.
Clock& CurrentClock();
void SetCurrentClock(Clock* clock);  // nullptr restores the real clock

}  // namespace platform
