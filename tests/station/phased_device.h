#pragma once
// The simulated network on a virtual "COM1" in two phases: healthy while the station starts,
// then the same network with faults (or changed) once the test turns them on. Discovery thus
// runs clean and the faults strike the running station. Each phase is a session of its own.
// The line goes bad between two requests: a healthy reply the station has not read by then is
// lost with it, so what the station holds at the switch is all the healthy network gave it.

#include <array>
#include <functional>
#include <span>

#include "platform/clock.h"
#include "platform/win32/ports.h"
#include "sim/session.h"

namespace reliability {

class PhasedDevice final : public win32::VirtualDevice {
public:
    PhasedDevice(sim::Scenario healthy, sim::Scenario faulty)
        : sessions_{sim::Session(std::move(healthy), platform::CurrentClock().Now()),
                    sim::Session(std::move(faulty), platform::CurrentClock().Now())} {}

    // From the next request on.
    void TurnFaultsOn() { wanted_ = true; }
    bool FaultsOn() const { return active_ == 1; }
    // Called at the switch, before the first request of the faulty phase is answered.
    std::function<void()> onSwitch;

    sim::Session& Healthy() { return sessions_[0]; }
    sim::Session& Faulty() { return sessions_[1]; }
    sim::Session& Active() { return sessions_[active_]; }

    // Whether `value` is one that either phase sent for the field.
    bool Sent(sim::Field field, int index, int value) const {
        return sessions_[0].sent().Contains(field, index, value) ||
               sessions_[1].sent().Contains(field, index, value);
    }

    void OnWrite(std::span<const std::uint8_t> bytes, platform::Micros start,
                 platform::Micros charTime) override {
        if (wanted_ && active_ == 0) {
            active_ = 1;
            Pending().clear();
            if (onSwitch) onSwitch();
        }
        for (const sim::Transmission& t : sessions_[active_].Receive(bytes, start + charTime, charTime))
            Deliver(t.bytes, t.firstArrival, t.gap);
    }

private:
    std::array<sim::Session, 2> sessions_;
    bool wanted_ = false;
    std::size_t active_ = 0;
};

}  // namespace reliability
