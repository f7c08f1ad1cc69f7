#pragma once
// The fault soak: the whole station on the headless backend, in virtual time, against the
// simulated network with seeded random faults, and an operator who now and then writes,
// switches loops, changes the scale and answers boxes after a while. Every few virtual minutes
// it checks that each value in the process image is one the network sent for that field, that
// the counts are in range and that the boxes stayed within their limits; every virtual hour it
// notes the wall time taken and the memory held.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/scenario.h"

namespace soak {

struct Options {
    double hours = 24;
    std::uint64_t seed = 1;
    sim::TimingMode timing = sim::TimingMode::Line;
    double maxWallPerHour = 300;  // seconds of wall time one virtual hour may take
    double stallSeconds = 600;    // no progress this long: the run has hung
    bool verbose = false;         // a line per virtual hour
};

struct HourFigures {
    double wallSeconds = 0;
    std::size_t liveHeap = 0;
    std::size_t resident = 0;
};

struct Report {
    double virtualHours = 0;
    long requests = 0;   // frames the station put on the line
    long replies = 0;    // frames the network sent back
    std::map<std::string, long> faults;      // by kind, as the network applied them
    std::map<std::string, long> portFaults;  // failures of the port itself, injected
    std::map<std::string, long> boxes;       // opened, by caption
    long suppressedBoxes = 0;
    int deepestBoxes = 0;
    std::map<std::string, long> operatorActions;
    long checks = 0;  // of the process image: every few virtual minutes and as each box closes
    std::vector<HourFigures> hours;
    std::size_t peakResident = 0;
    std::size_t warmLiveHeap = 0;   // highest live heap in the warm-up
    std::size_t laterLiveHeap = 0;  // highest live heap after it
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long findingCount = 0;
    std::vector<std::string> findings;  // the first ones and the last
};

// Runs the soak; the findings say what went wrong, if anything.
Report Run(const Options& options);

}  // namespace soak
