#include "sim/scenario.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <set>

namespace sim {

namespace {
constexpr int kAnalogLimit = 16383;    // magnitude << 1 must fit in 15 bits
constexpr int kParameterLimit = 8191;  // magnitude << 2 | 1 must fit in 15 bits

constexpr std::array<std::pair<FaultType, const char*>, 9> kFaultNames{{
    {FaultType::Silence, "silence"},
    {FaultType::Late, "late"},
    {FaultType::Split, "split"},
    {FaultType::Noise, "noise"},
    {FaultType::BadChecksum, "bad_checksum"},
    {FaultType::BitFlip, "bit_flip"},
    {FaultType::GatewayError, "gateway_error"},
    {FaultType::WrongNode, "wrong_node"},
    {FaultType::NoAck, "no_ack"},
}};
}  // namespace

int InputSpec::At(platform::Micros t) const {
    const double seconds = static_cast<double>(t) / 1e6;
    if (type == Type::Discrete) {
        if (toggleS <= 0) return value;
        const auto flips = static_cast<long long>(std::floor(seconds / toggleS));
        return (value ^ static_cast<int>(flips & 1)) & 1;
    }
    double v = value;
    switch (shape) {
        case Shape::Constant: break;
        case Shape::Ramp: {
            const double phase = std::fmod(seconds, periodS) / periodS;
            v = from + (to - from) * phase;
            break;
        }
        case Shape::Sine:
            v = center + amplitude * std::sin(2 * std::numbers::pi * seconds / periodS +
                                              phaseDeg * std::numbers::pi / 180);
            break;
    }
    return std::clamp(static_cast<int>(std::lround(v)), -kAnalogLimit, kAnalogLimit);
}

std::optional<std::uint16_t> StatusOfMode(int mode) {
    switch (mode) {
        case 0: return 0;
        case 1: return kLoopInUse;
        case 2: return kLoopInUse | kLoopBit6;
        case 31: return kLoopInUse | kLoopBit3;
        case 32: return kLoopInUse | kLoopBit3 | kLoopBit6;
        default: return std::nullopt;
    }
}

int ModeOfStatus(std::uint16_t status) {
    if (!(status & kLoopInUse)) return 10;
    const bool bit3 = status & kLoopBit3, bit6 = status & kLoopBit6;
    return bit3 ? (bit6 ? 32 : 31) : (bit6 ? 2 : 1);
}

const char* FaultName(FaultType type) {
    for (const auto& [t, name] : kFaultNames)
        if (t == type) return name;
    return "?";
}

std::optional<FaultType> FaultFromName(std::string_view name) {
    for (const auto& [t, n] : kFaultNames)
        if (name == n) return t;
    return std::nullopt;
}

InputSpec InputSpec::Constant(int raw) {
    InputSpec s;
    s.value = raw;
    return s;
}

InputSpec InputSpec::Ramp(int from, int to, double periodS) {
    InputSpec s;
    s.shape = Shape::Ramp;
    s.from = from;
    s.to = to;
    s.periodS = periodS;
    return s;
}

InputSpec InputSpec::Sine(int center, int amplitude, double periodS, double phaseDeg) {
    InputSpec s;
    s.shape = Shape::Sine;
    s.center = center;
    s.amplitude = amplitude;
    s.periodS = periodS;
    s.phaseDeg = phaseDeg;
    return s;
}

InputSpec InputSpec::Discrete(int value, double toggleS) {
    InputSpec s;
    s.type = Type::Discrete;
    s.value = value;
    s.toggleS = toggleS;
    return s;
}

std::uint16_t Scenario::MapWord() const {
    if (map) return *map;
    std::uint16_t word = 0;
    for (const ControllerSpec& c : controllers)
        if (c.node >= 1 && c.node <= 14) word |= static_cast<std::uint16_t>(1u << (c.node - 1));
    return word;
}

namespace {

LoopSpec Loop(int mode, int setpoint, int setting) {
    LoopSpec l;
    l.status = *StatusOfMode(mode);
    l.setpoint = setpoint;
    l.setting = setting;
    return l;
}

}  // namespace

Scenario DefaultScenario() {
    using In = InputSpec;
    Scenario s;

    ControllerSpec c3;
    c3.node = 3;
    c3.inputsA = {In::Constant(2000), In::Constant(4100), In::Sine(3000, 1000, 45)};
    c3.loops[0] = Loop(1, 2048, 410);

    // The controller in service: the highest one present.
    ControllerSpec c5;
    c5.node = 5;
    c5.inputsA = {In::Sine(4096, 2048, 40), In::Ramp(0, 8192, 60),    In::Constant(6000),      In::Sine(2000, 500, 17, 90),
                  In::Constant(-1200),      In::Ramp(8192, 1000, 90), In::Sine(7000, 900, 23), In::Constant(3500)};
    // The first four tell whether loops 1 to 4 are run by the dispatcher (1) or locally (0).
    c5.inputsB = {In::Discrete(1), In::Discrete(0), In::Discrete(1), In::Discrete(0),
                  In::Discrete(1, 5), In::Discrete(0, 13), In::Discrete(1), In::Discrete(0, 31)};
    c5.loops[0] = Loop(1, 2048, 410);   // 50 %, 10 %
    c5.loops[1] = Loop(2, 2867, 205);   // 70 %, 5 %
    c5.loops[2] = Loop(32, 1229, 614);  // 30 %, 15 %
    c5.loops[3] = Loop(0, 0, 0);        // not in use

    s.controllers = {c3, c5};
    return s;
}

void CheckScenario(const Scenario& s, const std::string& origin) {
    const auto fail = [&](const std::string& field, const std::string& why) {
        throw ScenarioError(origin + ": " + field + ": " + why);
    };
    const auto range = [&](const std::string& field, long long v, long long lo, long long hi) {
        if (v < lo || v > hi)
            fail(field, std::to_string(v) + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
    };

    std::set<int> nodes;
    for (std::size_t i = 0; i < s.controllers.size(); ++i) {
        const ControllerSpec& c = s.controllers[i];
        const std::string at = "controllers[" + std::to_string(i) + "]";
        range(at + ".node", c.node, 1, 14);
        if (!nodes.insert(c.node).second) fail(at + ".node", "node " + std::to_string(c.node) + " appears twice");
        const auto inputs = [&](const std::vector<InputSpec>& list, const std::string& name, std::size_t most) {
            if (list.size() > most)
                fail(at + "." + name, std::to_string(list.size()) + " inputs, at most " + std::to_string(most));
            for (std::size_t k = 0; k < list.size(); ++k) {
                const InputSpec& in = list[k];
                const std::string f = at + "." + name + "[" + std::to_string(k) + "]";
                if (in.type == InputSpec::Type::Discrete) {
                    range(f + ".value", in.value, 0, 1);
                    if (in.toggleS < 0) fail(f + ".toggle_s", "must not be negative");
                    continue;
                }
                switch (in.shape) {
                    case InputSpec::Shape::Constant: range(f + ".value", in.value, -kAnalogLimit, kAnalogLimit); break;
                    case InputSpec::Shape::Ramp:
                        range(f + ".from", in.from, -kAnalogLimit, kAnalogLimit);
                        range(f + ".to", in.to, -kAnalogLimit, kAnalogLimit);
                        break;
                    case InputSpec::Shape::Sine:
                        range(f + ".amplitude", in.amplitude, 0, kAnalogLimit);
                        range(f + ".center", in.center, -kAnalogLimit + in.amplitude, kAnalogLimit - in.amplitude);
                        break;
                }
                if (in.shape != InputSpec::Shape::Constant && !(in.periodS > 0))
                    fail(f + ".period_s", "must be above 0");
            }
        };
        inputs(c.inputsA, "inputs_a", 8);
        inputs(c.inputsB, "inputs_b", 15);
        for (std::size_t k = 0; k < c.loops.size(); ++k) {
            const std::string f = at + ".loops[" + std::to_string(k) + "]";
            range(f + ".setpoint", c.loops[k].setpoint, -kParameterLimit, kParameterLimit);
            range(f + ".setting", c.loops[k].setting, -kParameterLimit, kParameterLimit);
        }
    }

    range("timing.baud", s.timing.baud, 50, 115200);
    range("timing.latency_ms", s.timing.latencyMin, 0, platform::Ms(60'000));
    if (s.timing.latencyMax < s.timing.latencyMin) fail("timing.latency_ms", "the maximum is below the minimum");
    range("timing.latency_ms", s.timing.latencyMax, 0, platform::Ms(60'000));

    for (std::size_t i = 0; i < s.faults.size(); ++i) {
        const FaultRule& r = s.faults[i];
        const std::string at = "faults[" + std::to_string(i) + "]";
        range(at + ".nth", r.nth, 0, 1'000'000'000);
        range(at + ".every", r.every, 0, 1'000'000'000);
        if ((r.nth > 0) + (r.every > 0) + r.probability.has_value() > 1)
            fail(at, "give at most one of nth, every and probability");
        if (r.probability && !(*r.probability >= 0 && *r.probability <= 1))
            fail(at + ".probability", "must lie between 0 and 1");
        if (r.node) range(at + ".node", *r.node, 0, 255);
        range(at + ".delay_ms", r.delay, 0, platform::Ms(60'000));
        range(at + ".gap_ms", r.gap, 0, platform::Ms(60'000));
        range(at + ".at", r.splitAt, -1, 255);
        range(at + ".byte", r.byteIndex, -1, 255);
        range(at + ".bit", r.bit, -1, 7);
        range(at + ".code", r.code, 0, 255);
        range(at + ".about", r.about, -1, 255);
        range(at + ".count", r.count, 0, 255);
        range(at + ".reply_node", r.replyNode, -1, 255);
        range(at + ".tries", r.tries, 1, 1'000'000);
        if (r.type == FaultType::Noise && r.noise.empty()) fail(at + ".bytes", "needs at least one byte");
        if (r.type == FaultType::NoAck && r.on && *r.on != RequestKind::WriteParam)
            fail(at + ".on", "no_ack applies to param_write only");
    }
}

}  // namespace sim
