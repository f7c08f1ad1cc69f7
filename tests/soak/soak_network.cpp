#include "soak_network.h"

#include <array>
#include <optional>

namespace soak {

namespace {

using sim::FaultRule;
using sim::FaultType;
using sim::InputSpec;
using sim::RequestKind;

// Eight analog inputs (negative ones, the largest, zero, values whose bytes hold 0x10) and
// eight discrete ones; `offset` keeps the two controllers' values apart.
sim::ControllerSpec Controller(int node, int offset, std::array<int, 4> modes) {
    sim::ControllerSpec c;
    c.node = node;
    using In = InputSpec;
    c.inputsA = {In::Constant(1000 + offset),  In::Ramp(0, 40, 600),   In::Sine(3000 + offset, 25, 300),
                 In::Constant(-2000 - offset), In::Ramp(-30, 30, 900), In::Sine(-500, 20, 450),
                 In::Constant(16383),          In::Constant(0x0808 + offset)};
    c.inputsB = {In::Discrete(1),    In::Discrete(0),     In::Discrete(1), In::Discrete(0),
                 In::Discrete(0, 5), In::Discrete(1, 13), In::Discrete(1), In::Discrete(0, 31)};
    const std::array<int, 4> setpoints = {2048, 2867 + offset, 1024, 3000};
    const std::array<int, 4> settings = {410, 205, 614 + offset, 100};
    for (std::size_t k = 0; k < 4; ++k) {
        c.loops[k].status = *sim::StatusOfMode(modes[k]);
        c.loops[k].setpoint = setpoints[k];
        c.loops[k].setting = settings[k];
        c.loops[k].opaque = {0x10, 0x10, 0x01, 0x02, 0x10, 0x10, 0x03, 0x04, 0x05, static_cast<std::uint8_t>(k)};
    }
    return c;
}

FaultRule Rule(FaultType type, double probability, std::optional<RequestKind> on = std::nullopt) {
    // Copied from one default rule: made in place, GCC 12 warns falsely about its noise bytes.
    static const FaultRule defaults;
    FaultRule r = defaults;
    r.type = type;
    r.probability = probability;
    r.on = on;
    return r;
}

}  // namespace

sim::Scenario HealthyNetwork(sim::TimingMode timing, std::uint64_t seed) {
    sim::Scenario s;
    s.controllers = {Controller(3, 7, {2, 32, 1, 31}), Controller(5, 0, {1, 2, 31, 32})};
    s.timing.mode = timing;
    s.seed = seed;
    return s;
}

sim::Scenario FaultyNetwork(sim::TimingMode timing, std::uint64_t seed) {
    sim::Scenario s = HealthyNetwork(timing, seed);
    std::vector<FaultRule>& f = s.faults;
    f.push_back(Rule(FaultType::Silence, 0.01));
    f.push_back(Rule(FaultType::Late, 0.02));
    FaultRule longLate = Rule(FaultType::Late, 0.004);
    longLate.delay = platform::Ms(700);  // two exchanges behind
    f.push_back(longLate);
    f.push_back(Rule(FaultType::Split, 0.02));  // the gap ends the read mid-frame
    FaultRule shortSplit = Rule(FaultType::Split, 0.01);
    shortSplit.splitAt = 4;
    shortSplit.gap = platform::Ms(3);  // within the read's interval
    f.push_back(shortSplit);
    f.push_back(Rule(FaultType::Noise, 0.02));
    FaultRule frameNoise = Rule(FaultType::Noise, 0.01);
    frameNoise.noise = {0x10, 0x02, 0x01, 0x10};  // looks like the start of a frame
    f.push_back(frameNoise);
    f.push_back(Rule(FaultType::BadChecksum, 0.02));
    // Bit 0 is left out: flipped upwards on a reply whose checksum is also raised by one, the
    // two cancel in an 8-bit sum, and no receiver of this frame layout could tell.
    for (int bit = 1; bit <= 7; ++bit) {
        FaultRule flip = Rule(FaultType::BitFlip, 0.005);
        flip.bit = bit;
        f.push_back(flip);
    }
    f.push_back(Rule(FaultType::GatewayError, 0.003));  // "does not answer"
    FaultRule refused = Rule(FaultType::GatewayError, 0.008);  // a box each time
    refused.code = 0x2C;
    f.push_back(refused);
    FaultRule writeRefused = Rule(FaultType::GatewayError, 0.1, RequestKind::WriteParam);
    writeRefused.code = 0x2C;
    writeRefused.about = 0;
    f.push_back(writeRefused);
    // A reply from the other controller now and then: the station follows it, and back.
    FaultRule toThree = Rule(FaultType::WrongNode, 0.002);
    toThree.node = 5;
    toThree.replyNode = 3;
    f.push_back(toThree);
    FaultRule toFive = Rule(FaultType::WrongNode, 0.01);
    toFive.node = 3;
    toFive.replyNode = 5;
    f.push_back(toFive);
    f.push_back(Rule(FaultType::NoAck, 0.4, RequestKind::WriteParam));
    FaultRule neverAck = Rule(FaultType::NoAck, 0.05, RequestKind::WriteParam);
    neverAck.tries = 25;  // more than the station's twenty
    f.push_back(neverAck);
    return s;
}

}  // namespace soak
