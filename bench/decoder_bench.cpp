// How fast the two decoders scan a receive buffer: one reply of each kind, and a buffer of
// noise that holds no frame (the common case on a silent line is a zeroed buffer); two of them
// again noting what they find, as they do for the exchange trace.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/decoders.h"
#include "state/process_image.h"

namespace {

struct NullWindows : protocol::DecoderWindows {
    void ShowNoAnswerWindow() override {}
    void ShowCommandAccepted() override {}
    void MessageBox(const std::string&, const std::string&) override {}
    void ShowControllerNo(const std::string&) override {}
};

// The frame with its checksum (8-bit sum of the bytes before it) appended.
std::vector<std::uint8_t> Sealed(std::vector<std::uint8_t> frame) {
    std::uint8_t sum = 0;
    for (auto b : frame) sum = static_cast<std::uint8_t>(sum + b);
    frame.push_back(sum);
    return frame;
}

template <void (*Decode)(TProcessImage&, protocol::DecoderWindows&)>
void Run(benchmark::State& state, const std::vector<std::uint8_t>& reply) {
    TProcessImage pi;
    pi.ControllerNo = 5;
    NullWindows windows;
    for (auto _ : state) {
        std::memset(pi.RxBuf, 0, sizeof pi.RxBuf);
        std::memcpy(pi.RxBuf, reply.data(), std::min(reply.size(), sizeof pi.RxBuf));
        Decode(pi, windows);
        benchmark::DoNotOptimize(pi.InputA[3]);
    }
    state.SetItemsProcessed(state.iterations());
}

// The same with a report to note in, as when the exchange trace is on.
template <void (*Decode)(TProcessImage&, protocol::DecoderWindows&, protocol::DecodeReport*)>
void RunReported(benchmark::State& state, const std::vector<std::uint8_t>& reply) {
    TProcessImage pi;
    pi.ControllerNo = 5;
    NullWindows windows;
    protocol::DecodeReport report;
    for (auto _ : state) {
        std::memset(pi.RxBuf, 0, sizeof pi.RxBuf);
        std::memcpy(pi.RxBuf, reply.data(), std::min(reply.size(), sizeof pi.RxBuf));
        report.count = 0;
        Decode(pi, windows, &report);
        benchmark::DoNotOptimize(report.count);
    }
    state.SetItemsProcessed(state.iterations());
}

const auto kParameter = Sealed({0x10, 0x02, 0x01, 0x05, 0x01, 0x52, 0x07, 0x04, 0x01, 0x20, 0x51, 0x10, 0x03});
const auto kInput = Sealed({0x10, 0x02, 0x01, 0x05, 0x04, 0x52, 0x05, 0x03, 0x00, 0x40, 0x11, 0x10, 0x03});
const auto kDoubled = Sealed({0x10, 0x02, 0x01, 0x05, 0x01, 0x52, 0x07, 0x04, 0x10, 0x10, 0x10, 0x10, 0x51, 0x10, 0x03});
const auto kLoopState = Sealed({0x10, 0x02, 0x01, 0x05, 0x02, 0x52, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x68, 0x00,
                                0x10, 0x03});
const auto kAck = Sealed({0x10, 0x02, 0x01, 0x05, 0x01, 0x50, 0x00, 0x10, 0x03});
const std::vector<std::uint8_t> kSilence(30, 0);
const std::vector<std::uint8_t> kNoise = {0x10, 0x10, 0x02, 0x10, 0x33, 0x10, 0x02, 0x07, 0x10, 0x02, 0x01, 0x10,
                                          0x10, 0x02, 0x01, 0x05, 0x99, 0x10, 0x02, 0x04, 0x10, 0x10, 0x10, 0x02,
                                          0x01, 0x00, 0x10, 0x02, 0x10, 0x02};

void DataParameter(benchmark::State& s) { Run<protocol::Sortirovka_Buf>(s, kParameter); }
void DataInput(benchmark::State& s) { Run<protocol::Sortirovka_Buf>(s, kInput); }
void DataDoubledBytes(benchmark::State& s) { Run<protocol::Sortirovka_Buf>(s, kDoubled); }
void DataSilence(benchmark::State& s) { Run<protocol::Sortirovka_Buf>(s, kSilence); }
void DataNoise(benchmark::State& s) { Run<protocol::Sortirovka_Buf>(s, kNoise); }
void StatusLoopState(benchmark::State& s) { Run<protocol::Nastrojka>(s, kLoopState); }
void StatusWriteAck(benchmark::State& s) { Run<protocol::Nastrojka>(s, kAck); }
void StatusSilence(benchmark::State& s) { Run<protocol::Nastrojka>(s, kSilence); }
void StatusNoise(benchmark::State& s) { Run<protocol::Nastrojka>(s, kNoise); }
void DataInputReported(benchmark::State& s) { RunReported<protocol::Sortirovka_Buf>(s, kInput); }
void StatusLoopStateReported(benchmark::State& s) { RunReported<protocol::Nastrojka>(s, kLoopState); }

BENCHMARK(DataParameter);
BENCHMARK(DataInput);
BENCHMARK(DataDoubledBytes);
BENCHMARK(DataSilence);
BENCHMARK(DataNoise);
BENCHMARK(StatusLoopState);
BENCHMARK(StatusWriteAck);
BENCHMARK(StatusSilence);
BENCHMARK(StatusNoise);
BENCHMARK(DataInputReported);
BENCHMARK(StatusLoopStateReported);

}  // namespace
