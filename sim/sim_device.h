#pragma once
// The simulated network as the far end of a virtual serial device: the station's writes go
// in, the replies are queued with the moments their bytes arrive, and everything that
// crossed the line is kept for the test to look at.

#include <span>
#include <vector>

#include "platform/win32/ports.h"
#include "sim/session.h"

namespace sim {

class SimDevice : public win32::VirtualDevice {
public:
    // Inputs move with the current clock's time since construction.
    // Throws ScenarioError for a bad scenario.
    explicit SimDevice(Scenario scenario = DefaultScenario());

    void OnWrite(std::span<const std::uint8_t> bytes, platform::Micros start, platform::Micros charTime) override;

    Network& network() { return session_.network(); }
    Session& session() { return session_; }
    const std::vector<LoggedFrame>& log() const { return session_.log(); }
    const SentValues& sent() const { return session_.sent(); }

private:
    Session session_;
};

}  // namespace sim
