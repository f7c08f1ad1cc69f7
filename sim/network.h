#pragma once
// The gateway and the controllers behind it, without a clock of its own: a request received
// at some moment becomes the replies it causes, each with the moments its bytes reach the
// station. Everything else (virtual device, pseudo-terminal) only moves bytes.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "sim/faults.h"
#include "sim/frames.h"
#include "sim/request_parser.h"
#include "sim/scenario.h"

namespace sim {

// Bytes put on the line in one go: the first complete at the station at `firstArrival`, each
// next one `gap` later (0: all at once).
struct Transmission {
    Bytes bytes;
    platform::Micros firstArrival = 0;
    platform::Micros gap = 0;

    platform::Micros LastArrival() const {
        return firstArrival + (bytes.empty() ? 0 : static_cast<platform::Micros>(bytes.size() - 1) * gap);
    }
    bool operator==(const Transmission&) const = default;
};

// The station's fields a reply fills, by what the reply carries.
enum class Field { NetworkMap, InputA, InputB, Setpoint, Setting, LoopState };
const char* FieldName(Field field);

// One value a reply carried, in the station's terms: inputs and parameters as raw values
// (discrete inputs 0 or 1), loop states as the mode codes 1, 2, 31, 32 or 10, the map word.
// `index` is the channel or the loop (0 for the map).
struct SentValue {
    Field field = Field::NetworkMap;
    int index = 0;
    int value = 0;
    bool operator==(const SentValue&) const = default;
};

struct Outcome {
    Bytes frame;                              // the reply as built, before line faults; empty: none
    std::vector<Transmission> transmissions;  // what goes on the line, in order
    std::vector<SentValue> values;            // what the reply carries (as built)
    std::vector<FaultType> faults;            // the faults that struck, in the order applied
};

class Network {
public:
    // Inputs move with the time since `origin`. Throws ScenarioError for a bad scenario.
    explicit Network(Scenario scenario, platform::Micros origin = 0);

    // The replies to a request that was complete at request.end. A request failing its
    // checksum is not answered.
    Outcome Respond(const Request& request);

    const Scenario& scenario() const { return scenario_; }
    Timing& timing() { return scenario_.timing; }

    // The network's state as it stands.
    bool Answers(int node) const;  // present and not silent
    void SetSilent(int node, bool silent);
    std::uint16_t ParameterWord(int node, int block, int index) const;
    std::uint16_t LoopStatus(int node, int loop) const;
    void SetLoopStatus(int node, int loop, std::uint16_t status);
    int InputAt(int node, int group, int channel, platform::Micros t) const;  // raw or 0/1

    // The block and index of loop k's setpoint and setting (k = 1..4).
    static std::pair<int, int> SetpointAddress(int loop);
    static std::pair<int, int> SettingAddress(int loop);

private:
    struct Controller {
        ControllerSpec setup;
        std::map<std::pair<int, int>, std::uint16_t> parameters;
        std::array<std::uint16_t, 4> status{};
    };
    Controller* Find(int node);
    const Controller* Find(int node) const;
    // The reply a healthy network gives, with what it carries; carries out writes and commands.
    Bytes Answer(const Request& request, int replyNode, std::vector<SentValue>& values);
    std::vector<Transmission> Schedule(Bytes bytes, const Request& request,
                                       const std::vector<const FaultRule*>& struck);

    Scenario scenario_;
    platform::Micros origin_;
    std::array<std::optional<Controller>, 15> nodes_;
    FaultPlan faults_;
    std::mt19937_64 rng_;
    platform::Micros lineFree_ = 0;  // the gateway's sending line is busy until then
};

}  // namespace sim
