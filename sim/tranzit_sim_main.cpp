// tranzit-sim: the simulated Tranzit network (a gateway and the controllers behind it) on a
// pseudo-terminal or a serial device, until SIGINT or SIGTERM.

#include <signal.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "sim/pty_server.h"

namespace {

const char* const kUsage =
    "Usage: tranzit-sim [--device PATH] [--scenario FILE] [--timing instant|line] [--latency MS]\n"
    "                   [--seed N] [--trace]\n"
    "\n"
    "Simulates a Tranzit gateway and the Remikont controllers behind it.\n"
    "Without --device it opens a pseudo-terminal and prints its path as \"pty: PATH\";\n"
    "point the station at that path. It serves until interrupted (SIGINT, SIGTERM).\n"
    "\n"
    "  --device PATH          serve this serial device instead of a pseudo-terminal\n"
    "  --scenario FILE        the network to simulate (JSON); the built-in one otherwise\n"
    "  --timing instant|line  replies at once, or paced at the baud rate after a latency\n"
    "  --latency MS           line mode: the gateway's latency, MS or MIN-MAX milliseconds\n"
    "  --seed N               seed of every random draw (latency, probable faults)\n"
    "  --trace                print every frame both ways with its time\n"
    "  --help                 show this text\n";

struct Options {
    std::string device, scenario;
    std::optional<sim::TimingMode> timing;
    std::optional<std::pair<double, double>> latency;
    std::optional<std::uint64_t> seed;
    bool trace = false;
    bool help = false;
};

[[noreturn]] void Bad(const std::string& message) {
    std::fprintf(stderr, "tranzit-sim: %s\n\n%s", message.c_str(), kUsage);
    std::exit(2);
}

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(value) && value >= 0;
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i], value;
        bool inlineValue = false;
        if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = a.substr(eq + 1);
            a = a.substr(0, eq);
            inlineValue = true;
        }
        const auto take = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= argc) Bad("option " + a + " needs a value");
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--device") {
            o.device = take();
            if (o.device.empty()) Bad("option --device needs a device path");
        } else if (a == "--scenario") {
            o.scenario = take();
            if (o.scenario.empty()) Bad("option --scenario needs a file name");
        } else if (a == "--timing") {
            const std::string v = take();
            if (v == "instant") o.timing = sim::TimingMode::Instant;
            else if (v == "line") o.timing = sim::TimingMode::Line;
            else Bad("option --timing: '" + v + "' is not one of instant, line");
        } else if (a == "--latency") {
            const std::string v = take();
            const auto dash = v.find('-');
            double lo = 0, hi = 0;
            const bool ok = dash == std::string::npos
                                ? ParseNumber(v, lo) && ParseNumber(v, hi)
                                : ParseNumber(v.substr(0, dash), lo) && ParseNumber(v.substr(dash + 1), hi);
            if (!ok || hi < lo) Bad("option --latency: '" + v + "' is not MS or MIN-MAX milliseconds");
            o.latency = std::pair(lo, hi);
        } else if (a == "--seed") {
            const std::string v = take();
            char* end = nullptr;
            const unsigned long long seed = std::strtoull(v.c_str(), &end, 10);
            if (v.empty() || v[0] == '-' || *end != '\0') Bad("option --seed: '" + v + "' is not a whole number");
            o.seed = seed;
        } else {
            Bad("unknown option '" + std::string(argv[i]) + "'");
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    sim::Scenario scenario;
    try {
        scenario = o.scenario.empty() ? sim::DefaultScenario() : sim::LoadScenario(o.scenario);
        if (o.timing) scenario.timing.mode = *o.timing;
        if (o.latency) {
            scenario.timing.latencyMin = std::llround(o.latency->first * 1000);
            scenario.timing.latencyMax = std::llround(o.latency->second * 1000);
        }
        if (o.seed) scenario.seed = *o.seed;
        sim::CheckScenario(scenario, "command line");
    } catch (const sim::ScenarioError& e) {
        std::fprintf(stderr, "tranzit-sim: %s\n", e.what());
        return 2;
    }

    // Signals are taken by sigtimedwait below; the serving thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::PtyServer server(scenario);
    if (o.trace) {
        const platform::Micros origin = platform::RealClock().Now();
        server.SetTrace([origin](const sim::LoggedFrame& f) {
            std::printf("[%12.6f] %s\n", static_cast<double>(f.at - origin) / 1e6, sim::Describe(f).c_str());
            std::fflush(stdout);
        });
    }
    try {
        if (o.device.empty()) {
            std::printf("pty: %s\n", server.ServePty().c_str());
        } else {
            server.ServeDevice(o.device);
            std::printf("device: %s\n", o.device.c_str());
        }
        std::fflush(stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tranzit-sim: %s\n", e.what());
        return 1;
    }

    const timespec tick{0, 200'000'000};
    while (server.Running()) {
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) break;
    }
    server.Stop();
    if (const std::string error = server.Error(); !error.empty()) {
        std::fprintf(stderr, "tranzit-sim: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
