// station_soak [--hours H] [--seed N] [--timing instant|line] [--max-wall-per-hour S]
//              [--stall S] [--verbose]
// Runs the fault soak and prints its figures; exit status 0 when it found nothing, 1 when it
// did, 2 for bad arguments. A sanitizer finding or a hang ends the process on the spot.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/scenario.h"
#include "soak.h"

namespace {

int Usage(const std::string& why) {
    std::fprintf(stderr,
                 "station_soak: %s\n"
                 "usage: station_soak [--hours H] [--seed N] [--timing instant|line] [--max-wall-per-hour S]\n"
                 "                    [--stall S] [--verbose]\n",
                 why.c_str());
    return 2;
}

bool Number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && out >= 0;
}

double MiB(std::size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void Print(const soak::Options& o, const soak::Report& r) {
    std::printf("soak: timing %s, seed %llu, %.2f virtual hours\n",
                o.timing == sim::TimingMode::Instant ? "instant" : "line", static_cast<unsigned long long>(o.seed),
                r.virtualHours);
    std::printf("  requests %ld, replies %ld\n", r.requests, r.replies);
    long faults = 0;
    for (const auto& [kind, n] : r.faults) faults += n;
    std::printf("  faults injected by the network: %ld\n", faults);
    for (const auto& [kind, n] : r.faults) std::printf("    %-14s %ld\n", kind.c_str(), n);
    std::printf("  port failures injected:");
    for (const auto& [kind, n] : r.portFaults) std::printf(" %s x%ld;", kind.c_str(), n);
    std::printf("\n  boxes opened:\n");
    for (const auto& [caption, n] : r.boxes) std::printf("    %6ld  \"%s\"\n", n, caption.c_str());
    std::printf("  boxes held back (eight open): %ld; deepest %d\n", r.suppressedBoxes, r.deepestBoxes);
    std::printf("  operator:");
    for (const auto& [what, n] : r.operatorActions) std::printf(" %s x%ld;", what.c_str(), n);
    double slowest = 0;
    for (const auto& h : r.hours) slowest = std::max(slowest, h.wallSeconds);
    std::printf("\n  memory: live heap %zu KiB at most in the warm-up, %zu KiB at most after; peak RSS %.1f MiB\n",
                r.warmLiveHeap / 1024, r.laterLiveHeap / 1024, MiB(r.peakResident));
    std::printf("  wall %.1f s (slowest virtual hour %.1f s), CPU %.1f s\n", r.wallSeconds, slowest, r.cpuSeconds);
    std::printf("  checks of the process image %ld, findings %ld\n", r.checks, r.findingCount);
    for (const std::string& f : r.findings) std::printf("  FINDING %s\n", f.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    soak::Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (i + 1 >= argc) return Usage(arg + " needs a value");
        const char* value = argv[++i];
        double number = 0;
        if (arg == "--timing") {
            const std::string t = value;
            if (t == "instant") o.timing = sim::TimingMode::Instant;
            else if (t == "line") o.timing = sim::TimingMode::Line;
            else return Usage("--timing is instant or line, not " + t);
        } else if (!Number(value, number)) {
            return Usage(arg + " needs a number, not " + value);
        } else if (arg == "--hours") {
            o.hours = number;
        } else if (arg == "--seed") {
            o.seed = static_cast<std::uint64_t>(number);
        } else if (arg == "--max-wall-per-hour") {
            o.maxWallPerHour = number;
        } else if (arg == "--stall") {
            o.stallSeconds = number;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    const soak::Report r = soak::Run(o);
    Print(o, r);
    return r.findingCount == 0 ? 0 : 1;
}
