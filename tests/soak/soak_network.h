#pragma once
// The network the soak runs against: controllers 5 (in service) and 3, alike in shape, with
// inputs that move within narrow ranges (so that the record of every value sent stays small),
// and the faults that strike it once the station is up.

#include <cstdint>

#include "sim/scenario.h"

namespace soak {

sim::Scenario HealthyNetwork(sim::TimingMode timing, std::uint64_t seed);
// The same network with seeded random faults of every kind the simulator has.
sim::Scenario FaultyNetwork(sim::TimingMode timing, std::uint64_t seed);

}  // namespace soak
