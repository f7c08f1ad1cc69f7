#pragma once
// What the simulated network is: the controllers behind the gateway with their inputs and
// loops, how fast the line answers, and which replies go wrong. Scenario files (JSON) load
// into this; the README describes the file format field by field.

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "sim/frames.h"
#include "sim/request_parser.h"

namespace sim {

// One input channel. Analog values are raw, in 1/8192 of full scale (|raw| <= 16383).
struct InputSpec {
    enum class Type { Analog, Discrete };
    enum class Shape { Constant, Ramp, Sine };
    Type type = Type::Analog;
    Shape shape = Shape::Constant;  // analog only
    int value = 0;                  // analog: the constant; discrete: 0 or 1 at the start
    int from = 0, to = 0;           // ramp: from `from` to `to` in one period, then again
    int center = 0, amplitude = 0;  // sine
    double phaseDeg = 0;            // sine
    double periodS = 0;             // ramp, sine
    double toggleS = 0;             // discrete: flips every toggleS seconds; 0 keeps it steady

    // The raw value (analog) or 0/1 (discrete) at `t` since the network started.
    int At(platform::Micros t) const;

    static InputSpec Constant(int raw);
    static InputSpec Ramp(int from, int to, double periodS);
    static InputSpec Sine(int center, int amplitude, double periodS, double phaseDeg = 0);
    static InputSpec Discrete(int value, double toggleS = 0);

    bool operator==(const InputSpec&) const = default;
};

// Status word bits of a loop: bit 5 in use, bits 3 and 6 its mode.
constexpr std::uint16_t kLoopInUse = 0x0020;
constexpr std::uint16_t kLoopBit3 = 0x0008;
constexpr std::uint16_t kLoopBit6 = 0x0040;
// The status word of a mode as the station names it: 1, 2, 31, 32, or 0 for a loop not in use.
std::optional<std::uint16_t> StatusOfMode(int mode);
// The station's name of the mode a status word shows: 10 when not in use, else 1, 2, 31 or 32.
int ModeOfStatus(std::uint16_t status);

struct LoopSpec {
    std::uint16_t status = 0;               // not in use unless said otherwise
    int setpoint = 2048;                    // raw, 1/4096 of full scale (|raw| <= 8191)
    int setting = 410;
    std::array<std::uint8_t, 10> opaque{};  // the state reply's uninterpreted bytes

    bool operator==(const LoopSpec&) const = default;
};

struct ControllerSpec {
    int node = 0;                    // 1..14
    bool silent = false;             // on the map, but never answers: the gateway reports it
    std::vector<InputSpec> inputsA;  // channel k is element k-1; at most 8
    std::vector<InputSpec> inputsB;  // at most 15
    std::array<LoopSpec, 4> loops;

    bool operator==(const ControllerSpec&) const = default;
};

enum class TimingMode {
    Instant,  // every reply complete the moment the request is
    Line,     // paced at the baud rate (12 bits a byte) after the gateway's latency
};

struct Timing {
    TimingMode mode = TimingMode::Line;
    int baud = 4800;
    platform::Micros latencyMin = platform::Ms(80);  // line mode: request end to reply start,
    platform::Micros latencyMax = platform::Ms(200); // drawn uniformly for each reply

    platform::Micros CharTime() const { return (12 * 1'000'000 + baud / 2) / baud; }
    bool operator==(const Timing&) const = default;
};

enum class FaultType { Silence, Late, Split, Noise, BadChecksum, BitFlip, GatewayError, WrongNode, NoAck };
// "silence", "late", "split", "noise", "bad_checksum", "bit_flip", "gateway_error",
// "wrong_node", "no_ack".
const char* FaultName(FaultType type);
std::optional<FaultType> FaultFromName(std::string_view name);

// One fault and the requests it strikes. Without nth, every or probability it strikes every
// request that matches `on` and `node`.
struct FaultRule {
    FaultType type = FaultType::Silence;
    std::optional<RequestKind> on;     // nullopt: any kind
    std::optional<int> node;           // only requests addressed to this node
    int nth = 0;                       // only the nth matching request (1-based)
    int every = 0;                     // every k-th matching request: k, 2k, ...
    std::optional<double> probability; // each matching request with this probability (seeded)

    platform::Micros delay = platform::Ms(60);  // late: added before the reply
    int splitAt = -1;                           // split: first byte of the second part; -1 the middle
    platform::Micros gap = platform::Ms(8);     // split: last byte of part one to first of part two
    Bytes noise{0x55, 0xFF, 0x00};              // noise: bytes sent just before the frame
    int byteIndex = -1;                         // bit_flip: byte of the reply; -1 drawn
    int bit = -1;                               // bit_flip: 0..7; -1 drawn
    int code = kCodeNoAnswer;                   // gateway_error
    int about = -1;                             // gateway_error: node named; -1 the request's
    int count = 1;                              // gateway_error: number of errors reported
    int replyNode = -1;                         // wrong_node: -1 the next node (14 wraps to 1)
    int tries = 3;                              // no_ack: unanswered tries of one write

    bool operator==(const FaultRule&) const = default;
};

struct Scenario {
    std::vector<ControllerSpec> controllers;
    std::optional<std::uint16_t> map;  // the identification's map word; default: from controllers
    Timing timing;
    std::uint64_t seed = 1;
    std::vector<FaultRule> faults;

    // The map word the gateway reports.
    std::uint16_t MapWord() const;
    bool operator==(const Scenario&) const = default;
};

// Controllers 3 and 5 (5 in service), 8 analog inputs in group A and 8 discrete ones in
// group B on controller 5, loops 1 to 3 in use in different modes, loop 4 not; line timing.
Scenario DefaultScenario();

class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ScenarioError naming the file, the field and what is wrong with it.
Scenario LoadScenario(const std::string& path);
Scenario ParseScenario(std::string_view json, const std::string& origin = "scenario");

// Throws ScenarioError if the scenario breaks a limit (node range, channel counts, values).
void CheckScenario(const Scenario& scenario, const std::string& origin = "scenario");

}  // namespace sim
