#pragma once
// The station's command line (the Linux additions: which device stands for COM1, the
// simulated network, the exchange trace).

#include <optional>
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    std::string port = "/dev/ttyS0";  // the device that COM1 maps to
    bool simulate = false;            // run against the built-in simulated network
    std::string scenario;             // its scenario file; empty for the built-in one
    std::string trace;                // exchange trace file; empty for none
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    std::optional<CommandLine> options;  // set when the arguments are good
    std::string error;                   // what is wrong otherwise
};

// `args` without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string Usage(const std::string& program);

}  // namespace app
