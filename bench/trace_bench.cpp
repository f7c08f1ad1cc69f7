// What the exchange trace costs the GUI thread: the hooks of one exchange (its start, the write
// and the read as the serial channel reports them, the decoder noting what it finds, its end)
// with the trace file's writer thread running, against the decoder alone as an untraced
// exchange runs it. The bytes move in memory here; the port's own time is not part of it.
//
// Exchanges come 20 microseconds apart, so that the writer keeps up as it does in the station
// (a few exchanges a second) instead of the queue growing without bound; only the hooks are
// timed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "protocol/decoders.h"
#include "state/process_image.h"
#include "trace/exchange_trace.h"
#include "trace/trace_file.h"

namespace {

using Clock = std::chrono::steady_clock;

struct NullWindows : protocol::DecoderWindows {
    void ShowNoAnswerWindow() override {}
    void ShowCommandAccepted() override {}
    void MessageBox(const std::string&, const std::string&) override {}
    void ShowControllerNo(const std::string&) override {}
};

const std::uint8_t kRequest[] = {0x10, 0x02, 0x01, 0x05, 0x04, 0x4E, 0x05, 0x03, 0x10, 0x03, 0x85};
const std::uint8_t kReply[] = {0x10, 0x02, 0x01, 0x05, 0x04, 0x52, 0x05, 0x03, 0x00, 0x40, 0x11,
                               0x10, 0x03, 0xDA};

platform::Micros Now() { return platform::CurrentClock().Now(); }

// The GUI thread's share of one traced input read.
void TracedExchange(trace::ExchangeTracer& tracer, TProcessImage& pi, NullWindows& windows) {
    tracer.Begin(trace::ExchangeKind::InputRead, 0);
    // The serial channel takes the times around its calls only when someone listens.
    const platform::Micros writeCall = Now();
    tracer.Wrote({kRequest, sizeof kRequest, sizeof kRequest, 0, writeCall, Now()});
    std::memset(pi.RxBuf, 0, 23);
    std::memcpy(pi.RxBuf, kReply, sizeof kReply);
    const platform::Micros readCall = Now();
    tracer.Read({pi.RxBuf, 30, sizeof kReply, 0, readCall, Now()});
    protocol::Sortirovka_Buf(pi, windows, trace::ActiveReport());
    tracer.End();
}

void UntracedDecoder(TProcessImage& pi, NullWindows& windows) {
    std::memset(pi.RxBuf, 0, 23);
    std::memcpy(pi.RxBuf, kReply, sizeof kReply);
    protocol::Sortirovka_Buf(pi, windows);
}

// Times each exchange; besides the mean the report gives the median, the 99th percentile and
// the worst, in nanoseconds.
template <class Body>
void Paced(benchmark::State& state, Body body) {
    std::vector<double> ns;
    ns.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto t0 = Clock::now();
        body();
        const auto t1 = Clock::now();
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(seconds);
        ns.push_back(seconds * 1e9);
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    if (ns.empty()) return;
    std::sort(ns.begin(), ns.end());
    state.counters["p50_ns"] = ns[ns.size() / 2];
    state.counters["p99_ns"] = ns[ns.size() * 99 / 100];
    state.counters["max_ns"] = ns.back();
}

void ExchangeUntraced(benchmark::State& state) {
    TProcessImage pi;
    pi.ControllerNo = 5;
    NullWindows windows;
    Paced(state, [&] { UntracedDecoder(pi, windows); });
}

void ExchangeTracedToFile(benchmark::State& state) {
    TProcessImage pi;
    pi.ControllerNo = 5;
    NullWindows windows;
    const std::string path = "/tmp/remikont-trace-bench.log";
    trace::TraceFile file(path, Now());
    trace::ExchangeTracer tracer;
    tracer.AddSink(&file);
    trace::Install(&tracer);
    Paced(state, [&] { TracedExchange(tracer, pi, windows); });
    trace::Install(nullptr);
    file.Close();
    std::remove(path.c_str());
}

// The same hooks with nobody taking the records: the copying alone, without the queue.
void ExchangeTracedNoSink(benchmark::State& state) {
    TProcessImage pi;
    pi.ControllerNo = 5;
    NullWindows windows;
    trace::ExchangeTracer tracer;
    trace::Install(&tracer);
    Paced(state, [&] { TracedExchange(tracer, pi, windows); });
    trace::Install(nullptr);
}

BENCHMARK(ExchangeUntraced)->UseManualTime()->Iterations(20000);
BENCHMARK(ExchangeTracedNoSink)->UseManualTime()->Iterations(20000);
BENCHMARK(ExchangeTracedToFile)->UseManualTime()->Iterations(20000);

}  // namespace
