#include "sim/sim_device.h"

namespace sim {

SimDevice::SimDevice(Scenario scenario) : session_(std::move(scenario), platform::CurrentClock().Now()) {}

void SimDevice::OnWrite(std::span<const std::uint8_t> bytes, platform::Micros start, platform::Micros charTime) {
    for (const Transmission& t : session_.Receive(bytes, start + charTime, charTime))
        Deliver(t.bytes, t.firstArrival, t.gap);
}

}  // namespace sim
