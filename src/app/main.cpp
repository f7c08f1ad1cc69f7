// remikont-station: the operator station on a Linux desktop.

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/station.h"
#include "platform/qt/qt_runtime.h"
#include "platform/vcl/forms.h"
#include "platform/win32/ports.h"
#include "sim/pty_server.h"
#include "trace/exchange_trace.h"
#include "trace/trace_file.h"

int main(int argc, char** argv) {
    const std::string program = "remikont-station";
    std::vector<std::string> args(argv + 1, argv + argc);
    const app::ParsedCommandLine parsed = app::ParseCommandLine(args);
    if (!parsed.options) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), parsed.error.c_str(), app::Usage(program).c_str());
        return 2;
    }
    const app::CommandLine& cl = *parsed.options;
    if (cl.help) {
        std::fputs(app::Usage(program).c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("%s %s\n", program.c_str(), STATION_VERSION);
        return 0;
    }
    // --trace: opened before anything starts, so that a file that cannot be written stops the
    // program here; its times count from this moment.
    std::unique_ptr<trace::TraceFile> traceFile;
    trace::ExchangeTracer tracer;
    if (!cl.trace.empty()) {
        try {
            traceFile = std::make_unique<trace::TraceFile>(cl.trace, platform::CurrentClock().Now());
        } catch (const trace::TraceFileError& e) {
            std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
            return 2;
        }
        tracer.AddSink(traceFile.get());
    }
    // --simulate: the simulated network serves a pseudo-terminal from this process for the
    // whole run, and COM1 leads there.
    std::unique_ptr<sim::PtyServer> simulated;
    if (cl.simulate) {
        try {
            simulated = std::make_unique<sim::PtyServer>(cl.scenario.empty() ? sim::DefaultScenario()
                                                                             : sim::LoadScenario(cl.scenario));
        } catch (const sim::ScenarioError& e) {
            std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
            return 2;
        }
        try {
            win32::SetPortPath("COM1", simulated->ServePty());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: the simulated network cannot start: %s\n", program.c_str(), e.what());
            return 1;
        }
    } else {
        win32::SetPortPath("COM1", cl.port);
    }

    return qtbackend::RunWithWindows(program.c_str(), argc, argv, [&](vcl::Backend& backend) {
        vcl::TApplication application(backend);
        if (traceFile) trace::Install(&tracer);
        const int status = app::RunStation(application);
        // Every line of the run reaches the file before the program ends.
        trace::Install(nullptr);
        if (traceFile) traceFile->Close();
        return status;
    });
}
