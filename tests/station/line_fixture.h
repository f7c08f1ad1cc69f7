#pragma once
// The whole station on the headless backend, in virtual time, talking to the simulated network
// through the virtual device "COM1". Tests read what crossed the line from the device's log:
// every request with the moment its first bit left, and whether a reply came back.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/station.h"
#include "console/read_write.h"
#include "platform/headless/headless_backend.h"
#include "platform/win32/ports.h"
#include "serial/serial_channel.h"
#include "sim/sim_device.h"
#include "state/process_image.h"

namespace sim {
// Names the timing in test parameters.
inline void PrintTo(TimingMode mode, std::ostream* os) {
    *os << (mode == TimingMode::Instant ? "instant" : "line");
}
}  // namespace sim

namespace line_test {

using platform::Micros;
using platform::Ms;
using sim::Bytes;
using sim::TimingMode;

// One character at 4800 baud, 12 bits: start, 8 data, parity, 2 stop.
constexpr Micros kChar = 2500;
// A read of 30 bytes ends 5 ms after the reply waiting for it, or after 40 ms with nothing.
constexpr Micros kReadWithReply = Ms(5);
constexpr Micros kReadWithout = Ms(40);

inline const char* ModeName(TimingMode mode) { return mode == TimingMode::Instant ? "instant" : "line"; }

// --- Request frames as the gateway expects them, sealed with their 8-bit sum ---

inline Bytes Sealed(Bytes frame) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : frame) sum = static_cast<std::uint8_t>(sum + b);
    frame.push_back(sum);
    return frame;
}
inline std::uint8_t B(int v) { return static_cast<std::uint8_t>(v); }
inline Bytes Probe() { return {0x10, 0x02, 0x04, 0x10, 0x03, 0x29}; }
inline Bytes LoopStateRead(int node, int loop) {
    return Sealed({0x10, 0x02, 0x01, B(node), 0x02, 0x4E, B(loop), 0x10, 0x03});
}
inline Bytes InputRead(int node, int group, int channel) {
    return Sealed({0x10, 0x02, 0x01, B(node), 0x04, 0x4E, B(group), B(channel), 0x10, 0x03});
}
inline Bytes ParamRead(int node, int block, int index) {
    return Sealed({0x10, 0x02, 0x01, B(node), 0x01, 0x4E, B(block), B(index), 0x10, 0x03});
}
inline Bytes ParamWrite(int node, int block, int index, int lo, int hi) {
    return Sealed({0x10, 0x02, 0x01, B(node), 0x01, 0x49, B(block), B(index), B(lo), B(hi), 0x10, 0x03});
}
inline Bytes LoopCommand(int node, int loop) {
    return Sealed({0x10, 0x02, 0x01, B(node), 0x02, 0x49, B(loop), 0x07, 0x10, 0x03});
}

// "10 02 04 10 03 29" into bytes.
inline Bytes FromHex(const std::string& text) {
    Bytes out;
    for (std::size_t i = 0; i < text.size(); i += 3) out.push_back(B(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

// --- Networks ---

// Controller 5 alone (map word 16) with `inputsA` analog inputs in group A, `inputsB` discrete
// ones in group B and the loops in the modes given (0: not in use).
inline sim::Scenario Network(int inputsA, int inputsB, std::array<int, 4> modes, TimingMode timing) {
    sim::ControllerSpec c;
    c.node = 5;
    for (int k = 1; k <= inputsA; ++k) {
        sim::InputSpec in;
        in.value = 500 * k;
        c.inputsA.push_back(in);
    }
    for (int k = 1; k <= inputsB; ++k) {
        sim::InputSpec in;
        in.type = sim::InputSpec::Type::Discrete;
        in.value = k % 2;
        c.inputsB.push_back(in);
    }
    const int setpoints[] = {2048, 2867, 1229, 3000};
    const int settings[] = {410, 205, 614, 100};
    for (int k = 0; k < 4; ++k) {
        c.loops[k].status = *sim::StatusOfMode(modes[k]);
        c.loops[k].setpoint = setpoints[k];
        c.loops[k].setting = settings[k];
    }
    sim::Scenario s;
    s.controllers = {c};
    s.timing.mode = timing;
    return s;
}

// A fault striking the requests of `on` (any kind if unset), only the nth of them if nth > 0.
inline sim::FaultRule Fault(sim::FaultType type, std::optional<sim::RequestKind> on = std::nullopt, int nth = 0) {
    sim::FaultRule rule;
    rule.type = type;
    rule.on = on;
    rule.nth = nth;
    return rule;
}

// --- What crossed the line ---

struct Sent {
    Bytes bytes;
    Micros at = 0;    // first bit on the line
    Micros end = 0;   // last byte complete
    bool answered = false;
};

struct Tick {
    Micros at;
    std::size_t logBefore;  // log entries before the tick ran
    bool passed;            // BusyMode was 0: the tick counts in the schedule
};

struct StationOnLine : ::testing::Test {
    headless::HeadlessBackend backend;
    vcl::TApplication app{backend};
    std::shared_ptr<sim::SimDevice> device;
    std::vector<Tick> ticks;

    // Builds the network (after the application: its clock is the virtual one) and starts the
    // station, which runs discovery before this returns.
    void Start(const sim::Scenario& scenario) {
        ProcessImage = TProcessImage{};
        device = std::make_shared<sim::SimDevice>(scenario);
        win32::RegisterVirtualDevice("COM1", device);
        app::CreateStationForms(app);
    }

    // Lets the wait window hand over to the main window.
    void ShowMainWindow() { ASSERT_TRUE(backend.RunUntil([] { return Form1->Visible(); }, Ms(200))); }

    // Notes every run of the polling timer.
    void RecordTicks() {
        auto poll = Form1->Timer2->OnTimer;
        Form1->Timer2->OnTimer = [this, poll] {
            ticks.push_back({backend.Now(), device->log().size(), ProcessImage.BusyMode == 0});
            poll();
        };
    }

    void TearDown() override {
        PortClose();
        app::DestroyStation(app);
        win32::UnregisterVirtualDevice("COM1");
    }

    // The requests logged from log entry `from` to `to`.
    std::vector<Sent> Requests(std::size_t from = 0, std::size_t to = SIZE_MAX) const {
        const auto& log = device->log();
        std::vector<Sent> out;
        for (std::size_t i = from; i < log.size() && i < to; ++i) {
            if (log[i].direction != sim::LoggedFrame::Direction::Request) continue;
            const bool answered = i + 1 < log.size() && log[i + 1].direction == sim::LoggedFrame::Direction::Reply;
            out.push_back({log[i].bytes, log[i].at, log[i].done, answered});
        }
        return out;
    }
    std::size_t LogSize() const { return device->log().size(); }
};

// Request `i` began `pause` after the exchange before it ended: that one's write, then its read,
// which ends 5 ms after a waiting reply or after 40 ms without one (instant timing). With a
// gateway that answers late the read lies between the two.
inline void ExpectPaced(const std::vector<Sent>& r, std::size_t i, Micros pause, TimingMode mode) {
    ASSERT_GT(i, 0u);
    ASSERT_LT(i, r.size());
    const Micros read = r[i].at - r[i - 1].end - pause;
    if (mode == TimingMode::Instant) {
        EXPECT_EQ(read, r[i - 1].answered ? kReadWithReply : kReadWithout) << "request " << i;
    } else {
        EXPECT_GE(read, kReadWithReply) << "request " << i;
        EXPECT_LE(read, kReadWithout) << "request " << i;
    }
}

inline std::string Hex(const Bytes& b) { return sim::Hex(b); }

}  // namespace line_test
