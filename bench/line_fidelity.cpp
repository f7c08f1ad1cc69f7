// Line fidelity: how much time the station spends on each exchange beyond its own pause and the
// time the bytes need on the line, measured on a pseudo-terminal served by the tranzit-sim
// program in line timing (4800 baud pacing, the gateway's latency).
//
// The real station code runs in this process on the Qt backend (offscreen unless a platform is
// set): discovery (the probe's box answered by a timer), polling, one setpoint write and one loop
// switch, then the wait window is closed. The exchange trace's hooks give each exchange's times
// on the station's side; tranzit-sim's own trace gives when each reply byte was put on the line.
//
// Per exchange:
//   span     = from the start of the exchange (before its pause) to the decoder's return
//   expected = when the read should end under the port's time-outs, given when the bytes it
//              returned became available: 5 ms after the last of them (bytes waiting at the
//              call count as arriving at the call), or at 30 bytes, but never later than 40 ms
//              after the call; 40 ms after the call when nothing came
//   beyond   = span - pause - (expected - read call)
//   late     = read return - expected
// so that beyond holds the pause's overshoot, the write call, the read's lateness, the decoder
// and the trace's hooks. Exchanges whose decoder showed a box (the operator's time) are left out.
//
//   line_fidelity [--seconds N] [--trace FILE] [--sim PATH]
//   line_fidelity --silent-reads N [--sim PATH]
//
// The second form times reads on a gateway that answers nothing (each should end at 40 ms).

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/station.h"
#include "app/zagruzka.h"
#include "console/read_write.h"
#include "platform/qt/qt_backend.h"
#include "platform/vcl/forms.h"
#include "platform/win32/ports.h"
#include "serial/serial_channel.h"
#include "state/process_image.h"
#include "trace/exchange_trace.h"
#include "trace/trace_file.h"

extern char** environ;

namespace {

using platform::Micros;
using platform::Ms;

constexpr Micros kCharTime = 2500;   // 12 bits at 4800 baud
constexpr Micros kInterval = Ms(5);  // between bytes
constexpr Micros kTotal = Ms(40);    // 30 bytes x 1 ms + 10 ms
constexpr std::uint32_t kReadLength = 30;

pid_t simulatorPid = -1;  // ended by Fail too, so that no simulator outlives the tool

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "line_fidelity: %s\n", why.c_str());
    if (simulatorPid > 0) {
        kill(simulatorPid, SIGTERM);
        waitpid(simulatorPid, nullptr, 0);
    }
    std::exit(1);
}

// tranzit-sim on a pseudo-terminal, its stdout (with --trace) in a file.
class Simulator {
public:
    Simulator(const std::string& program, const std::vector<std::string>& options, const std::string& out)
        : out_(out) {
        std::vector<std::string> args{program};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            Fail("cannot start " + program);
        posix_spawn_file_actions_destroy(&actions);
        simulatorPid = pid_;
        // The first line names the pseudo-terminal.
        for (int i = 0; i < 100 && pty_.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::ifstream in(out);
            std::string line;
            if (std::getline(in, line) && line.rfind("pty: ", 0) == 0 && in.good()) pty_ = line.substr(5);
        }
        if (pty_.empty()) Fail("tranzit-sim named no pseudo-terminal");
    }
    ~Simulator() { Stop(); }

    const std::string& Pty() const { return pty_; }

    // Ends it and returns its output.
    std::vector<std::string> Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
            simulatorPid = -1;
        }
        std::vector<std::string> lines;
        std::ifstream in(out_);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    std::string out_;
    std::string pty_;
    pid_t pid_ = -1;
};

// Keeps every record of the trace, in order.
struct Recorder : trace::Sink {
    std::vector<trace::Record> records;
    void Take(const trace::Record& r) override { records.push_back(r); }
};

// A frame as tranzit-sim's trace shows it: "[   12.345678] sim>station 10 02 ...  input read reply".
struct SimFrame {
    bool reply = false;
    Micros at = 0;  // since the simulator's start
    std::vector<std::uint8_t> bytes;
};

std::vector<SimFrame> ParseSimTrace(const std::vector<std::string>& lines) {
    std::vector<SimFrame> frames;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] != '[') continue;
        const auto close = line.find(']');
        SimFrame f;
        f.at = static_cast<Micros>(std::llround(std::stod(line.substr(1, close - 1)) * 1e6));
        std::string rest = line.substr(close + 2);
        if (rest.rfind("station>sim ", 0) == 0) {
            rest = rest.substr(12);
        } else if (rest.rfind("sim>station ", 0) == 0) {
            f.reply = true;
            rest = rest.substr(12);
        } else {
            continue;
        }
        std::istringstream hex(rest.substr(0, rest.find("  ")));
        for (std::string b; hex >> b;) f.bytes.push_back(static_cast<std::uint8_t>(std::stoi(b, nullptr, 16)));
        frames.push_back(std::move(f));
    }
    return frames;
}

struct Figures {
    std::vector<double> beyond, pause, write, late, decode, nominal;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t h = v.size() / 2;
    return v.size() % 2 ? v[h] : (v[h - 1] + v[h]) / 2;
}
double Worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// Presses OK in every message box the station shows.
void AnswerBoxes() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
}

int RunStation(const std::string& simProgram, int seconds, const std::string& traceFile) {
    const std::string simOut = "/tmp/line-fidelity-sim-" + std::to_string(getpid()) + ".txt";
    Simulator sim(simProgram, {"--trace"}, simOut);
    win32::SetPortPath("COM1", sim.Pty());

    qtbackend::QtBackend backend;
    vcl::TApplication application(backend);
    trace::ExchangeTracer tracer;
    Recorder recorder;
    tracer.AddSink(&recorder);
    std::unique_ptr<trace::TraceFile> file;
    if (!traceFile.empty()) {
        file = std::make_unique<trace::TraceFile>(traceFile, platform::CurrentClock().Now());
        tracer.AddSink(file.get());
    }
    recorder.records.reserve(4096);
    trace::Install(&tracer);

    // The operator: OK in the probe's box, a setpoint written 3 s after the main window shows,
    // loop 2 switched 5 s later, the wait window closed at the end.
    std::optional<Micros> shown;
    int step = 0;
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        AnswerBoxes();
        if (!Form1 || !Form1->Visible()) return;
        const Micros now = platform::CurrentClock().Now();
        if (!shown) shown = now;
        const Micros since = now - *shown;
        if (step == 0 && since > Ms(3000)) {
            step = 1;
            Form1->koff1Click();
            Form1->CS_koff1->SetValue(60);
            Form1->OK_koffClick();
        } else if (step == 1 && since > Ms(8000)) {
            step = 2;
            Form1->Kontur2_PSClick();
        } else if (step == 2 && since > Ms(1000LL * seconds)) {
            step = 3;
            Form5->Close();
        }
    });
    script.start(50);
    const int status = app::RunStation(application);
    script.stop();
    trace::Install(nullptr);
    if (file) file->Close();
    const std::vector<SimFrame> simFrames = ParseSimTrace(sim.Stop());
    std::remove(simOut.c_str());
    if (status != 0) Fail("the station ended with status " + std::to_string(status));

    // The station's exchanges: a request record and its reply record (a box leaves a second).
    struct Exchange {
        const trace::Record* request = nullptr;
        const trace::Record* reply = nullptr;
        bool box = false;
    };
    std::map<std::uint32_t, Exchange> exchanges;
    std::vector<const trace::Record*> reads;
    for (const trace::Record& r : recorder.records) {
        Exchange& e = exchanges[r.exchange];
        if (r.type == trace::Record::Type::Request) e.request = &r;
        if (r.type == trace::Record::Type::Reply) {
            e.reply = &r;
            reads.push_back(&r);
        }
        if (r.box || r.type == trace::Record::Type::AfterBox) e.box = true;
    }

    // The simulator's clock against the station's: a request reaches the simulator after the
    // station's write call, so the latest (write call - simulator time) is the closest bound.
    std::vector<const SimFrame*> simRequests, simReplies;
    for (const SimFrame& f : simFrames) (f.reply ? simReplies : simRequests).push_back(&f);
    std::vector<const trace::Record*> writes;
    for (const trace::Record& r : recorder.records)
        if (r.type == trace::Record::Type::Request) writes.push_back(&r);
    if (writes.size() != simRequests.size())
        Fail("the station wrote " + std::to_string(writes.size()) + " requests, tranzit-sim saw " +
             std::to_string(simRequests.size()));
    Micros offset = std::numeric_limits<Micros>::min();
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (!std::equal(simRequests[i]->bytes.begin(), simRequests[i]->bytes.end(), writes[i]->bytes.begin()))
            Fail("request " + std::to_string(i) + " differs between the station and tranzit-sim");
        offset = std::max(offset, writes[i]->call - simRequests[i]->at);
    }

    // Every reply byte with the moment it was put on the line, in line order.
    struct Byte {
        std::uint8_t value;
        Micros at;
    };
    std::vector<Byte> stream;
    for (const SimFrame* f : simReplies)
        for (std::size_t i = 0; i < f->bytes.size(); ++i)
            stream.push_back({f->bytes[i], offset + f->at + static_cast<Micros>(i) * kCharTime});

    std::map<trace::ExchangeKind, Figures> figures;
    std::size_t next = 0, boxes = 0;
    for (const trace::Record* r : reads) {
        if (next + r->moved > stream.size()) Fail("the station read bytes tranzit-sim never sent");
        for (std::uint32_t i = 0; i < r->moved; ++i)
            if (stream[next + i].value != r->bytes[i]) Fail("a byte read is not the one sent");
        Micros expected = r->call + kTotal;
        if (r->moved > 0) {
            const Micros last = std::max(r->call, stream[next + r->moved - 1].at);
            expected = r->moved == kReadLength ? last : std::min(r->call + kTotal, last + kInterval);
        }
        next += r->moved;
        const Exchange& e = exchanges[r->exchange];
        if (!e.request || r->exchange == 0) continue;
        if (e.box) {
            ++boxes;
            continue;
        }
        Figures& f = figures[r->kind];
        const Micros span = r->end - e.request->begin;
        const Micros pause = Ms(e.request->pauseMs);
        f.beyond.push_back(static_cast<double>(span - pause - (expected - r->call)) / 1000.0);
        f.pause.push_back(static_cast<double>(e.request->call - e.request->begin - pause) / 1000.0);
        f.write.push_back(static_cast<double>(r->call - e.request->call) / 1000.0);
        f.late.push_back(static_cast<double>(r->done - expected) / 1000.0);
        f.decode.push_back(static_cast<double>(r->end - r->done) / 1000.0);
        f.nominal.push_back(static_cast<double>(expected - r->call) / 1000.0);
    }

    std::printf("times in ms; trace file: %s; exchanges measured: %zu (with a box, left out: %zu)\n",
                traceFile.empty() ? "none" : traceFile.c_str(), reads.size() - boxes, boxes);
    const char* const row = "%-14s %4s %8s %7s  %8s %7s  %8s %7s  %8s %7s  %8s %7s  %7s\n";
    std::printf(row, "", "", "beyond", "", "pause", "", "write", "", "read", "", "decoder", "", "read");
    std::printf(row, "exchange", "n", "median", "worst", "over med", "worst", "median", "worst", "late med",
                "worst", "median", "worst", "nominal");
    for (trace::ExchangeKind k :
         {trace::ExchangeKind::Probe, trace::ExchangeKind::LoopState, trace::ExchangeKind::InputCount,
          trace::ExchangeKind::InputRead, trace::ExchangeKind::ParameterRead, trace::ExchangeKind::WriteTry,
          trace::ExchangeKind::ReadBack, trace::ExchangeKind::LoopCommand}) {
        const Figures& f = figures[k];
        std::printf("%-14s %4zu %8.3f %7.3f  %8.3f %7.3f  %8.3f %7.3f  %8.3f %7.3f  %8.3f %7.3f  %7.3f\n",
                    trace::KindName(k), f.beyond.size(), Median(f.beyond), Worst(f.beyond), Median(f.pause),
                    Worst(f.pause), Median(f.write), Worst(f.write), Median(f.late), Worst(f.late),
                    Median(f.decode), Worst(f.decode), Median(f.nominal));
    }
    return 0;
}

int SilentReads(const std::string& simProgram, int count) {
    const std::string scenario = "/tmp/line-fidelity-silent-" + std::to_string(getpid()) + ".json";
    std::ofstream(scenario) << R"({"faults": [{"fault": "silence"}]})";
    const std::string simOut = "/tmp/line-fidelity-sim-" + std::to_string(getpid()) + ".txt";
    Simulator sim(simProgram, {"--scenario", scenario}, simOut);
    win32::SetPortPath("COM1", sim.Pty());
    qtbackend::QtBackend backend;
    vcl::TApplication application(backend);

    PortOpen();
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        PortWrite(ProcessImage.ReqGatewayProbe, sizeof ProcessImage.ReqGatewayProbe);
        const Micros call = platform::CurrentClock().Now();
        PortRead(ProcessImage.RxBuf, kReadLength);
        ms.push_back(static_cast<double>(platform::CurrentClock().Now() - call) / 1000.0);
    }
    PortClose();
    sim.Stop();
    std::remove(scenario.c_str());
    std::remove(simOut.c_str());
    std::printf("silent gateway: %d reads of 30 bytes, call to return: median %.3f ms, worst %.3f ms, "
                "best %.3f ms (the time-outs make it 40 ms)\n",
                count, Median(ms), Worst(ms), *std::min_element(ms.begin(), ms.end()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string simProgram = TRANZIT_SIM_PATH, traceFile;
    int seconds = 150, silentReads = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail("option " + a + " needs a value");
            return argv[++i];
        };
        if (a == "--seconds") seconds = std::stoi(value());
        else if (a == "--trace") traceFile = value();
        else if (a == "--sim") simProgram = value();
        else if (a == "--silent-reads") silentReads = std::stoi(value());
        else Fail("unknown option " + a);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication qapp(qtArgc, argv);
    return silentReads > 0 ? SilentReads(simProgram, silentReads) : RunStation(simProgram, seconds, traceFile);
}
