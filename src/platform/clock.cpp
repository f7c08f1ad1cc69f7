#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

Micros RealClock::Now() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::Sleep(Micros d) {
    if (d > 0) std::this_thread::sleep_for(std::chrono::microseconds(d));
}

namespace {
RealClock realClock;
Clock* current = &realClock;
}  // namespace

Clock& CurrentClock() { return *current; }

void SetCurrentClock(Clock* clock) { current = clock ? clock : &realClock; }

}  // namespace platform
