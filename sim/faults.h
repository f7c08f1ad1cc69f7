#pragma once
// Which requests a scenario's faults strike. Each rule counts the requests that match it, so
// "the 3rd input read" and "every 5th parameter read" mean what they say whatever else the
// station sends; draws by probability come from the network's seeded generator, so a run
// repeats exactly.

#include <cstdint>
#include <random>
#include <vector>

#include "sim/request_parser.h"
#include "sim/scenario.h"

namespace sim {

class FaultPlan {
public:
    explicit FaultPlan(std::vector<FaultRule> rules);

    // The rules striking this request, in the order the scenario lists them.
    std::vector<const FaultRule*> Strike(const Request& request, std::mt19937_64& rng);

    // What became of a write: acknowledged or not. A write that is not acknowledged is tried
    // again by the station, and no_ack counts those tries as one write.
    void NoteWrite(const Request& request, bool acknowledged);

private:
    struct Rule {
        FaultRule rule;
        long long seen = 0;    // matching requests (no_ack: matching writes) so far
        int triesLeft = 0;     // no_ack: tries of the current write still to go unanswered
    };
    struct LastWrite {
        int node = -1, block = -1, index = -1;
        platform::Micros end = 0;
        bool acknowledged = true;
    };
    bool Selected(Rule& r, std::mt19937_64& rng);
    std::vector<Rule> rules_;
    LastWrite last_;
};

// A fair draw in [0, n).
std::uint64_t Draw(std::mt19937_64& rng, std::uint64_t n);

}  // namespace sim
