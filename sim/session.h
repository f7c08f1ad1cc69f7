#pragma once
// One run of the simulated network on one line: the station's bytes in, the replies out,
// and a record of both ways. The virtual device and the pseudo-terminal server share it.

#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim/network.h"
#include "sim/request_parser.h"
#include "sim/scenario.h"

namespace sim {

struct LoggedFrame {
    enum class Direction { Request, Reply };
    Direction direction = Direction::Request;
    // Request: when its first byte began on the line. Reply: when its first byte reached the station.
    platform::Micros at = 0;
    // When its last byte was complete (at the gateway for a request, at the station for a reply).
    platform::Micros done = 0;
    Bytes bytes;              // as on the line: a reply's noise included, the parts of a split reply joined
    RequestKind kind{};       // the request's kind; for a reply, the kind of the request it answers
    bool checksumOk = true;   // requests only
    std::vector<FaultType> faults;  // request: the faults that struck its reply; reply: the same

    bool operator==(const LoggedFrame&) const = default;
};

// "station>sim 10 02 04 10 03 29  probe" or "sim>station ...  [late]".
std::string Describe(const LoggedFrame& frame);

// Every value sent for each field of the station, so that a long run can check that the
// station never holds one it was not sent.
class SentValues {
public:
    void Add(const SentValue& value) { sets_[{value.field, value.index}].insert(value.value); }
    const std::set<int>& Of(Field field, int index) const;
    bool Contains(Field field, int index, int value) const { return Of(field, index).count(value) > 0; }

private:
    std::map<std::pair<Field, int>, std::set<int>> sets_;
};

class Session {
public:
    // Inputs move with the time since `origin`. Throws ScenarioError for a bad scenario.
    explicit Session(Scenario scenario, platform::Micros origin = 0);

    // The station's bytes: the first complete at `firstDone`, the next ones `charTime` apart.
    // Returns what goes back on the line, in order.
    std::vector<Transmission> Receive(std::span<const std::uint8_t> bytes, platform::Micros firstDone,
                                      platform::Micros charTime);

    Network& network() { return network_; }
    const RequestParser& parser() const { return parser_; }
    const std::vector<LoggedFrame>& log() const { return log_; }
    const SentValues& sent() const { return sent_; }

    // A long run on a pseudo-terminal need not keep every frame.
    void KeepLog(bool keep) { keepLog_ = keep; }
    // Called with every frame as it is logged (also when the log is not kept).
    std::function<void(const LoggedFrame&)> onFrame;

private:
    void Record(LoggedFrame frame);

    Network network_;
    RequestParser parser_;
    std::vector<LoggedFrame> log_;
    SentValues sent_;
    bool keepLog_ = true;
};

}  // namespace sim
