#include "app/command_line.h"

namespace app {

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    bool portGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // --name=value and --name value are both accepted for options that take a value.
        std::string name = a, value;
        bool hasInlineValue = false;
        if (a.rfind("--", 0) == 0) {
            if (const auto eq = a.find('='); eq != std::string::npos) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
                hasInlineValue = true;
            }
        }
        const auto takeValue = [&]() -> std::optional<std::string> {
            if (hasInlineValue) return value;
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) return args[++i];
            return std::nullopt;
        };
        if (name == "--help" || name == "-h") {
            cl.help = true;
        } else if (name == "--version") {
            cl.version = true;
        } else if (name == "--port") {
            auto v = takeValue();
            if (!v || v->empty()) return {std::nullopt, "option --port needs a device path, e.g. --port /dev/ttyUSB0"};
            cl.port = *v;
            portGiven = true;
        } else if (name == "--simulate") {
            cl.simulate = true;
            if (hasInlineValue) {
                if (value.empty()) return {std::nullopt, "option --simulate= needs a scenario file after '='"};
                cl.scenario = value;
            } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
                cl.scenario = args[++i];
            }
        } else if (name == "--trace") {
            auto v = takeValue();
            if (!v || v->empty()) return {std::nullopt, "option --trace needs a file name"};
            cl.trace = *v;
        } else if (a.rfind("-", 0) == 0) {
            return {std::nullopt, "unknown option '" + a + "'"};
        } else {
            return {std::nullopt, "unexpected argument '" + a + "'"};
        }
    }
    if (cl.simulate && portGiven)
        return {std::nullopt, "--port and --simulate exclude each other: the simulated network brings its own port"};
    return {cl, {}};
}

std::string Usage(const std::string& program) {
    return "Usage: " + program + " [--port PATH] [--simulate [SCENARIO.json]] [--trace FILE]\n"
           "\n"
           "Operator station for a Remikont R-130 controller behind a Tranzit gateway on a\n"
           "serial line (4800 baud, 8 data bits, even parity, 2 stop bits).\n"
           "\n"
           "  --port PATH        the serial device the gateway is attached to (default /dev/ttyS0)\n"
           "  --simulate [FILE]  run against the built-in simulated network, optionally with a\n"
           "                     scenario file of the simulator\n"
           "  --trace FILE       write every request and reply to FILE\n"
           "  --help             show this text\n"
           "  --version          show the version\n";
}

}  // namespace app
