// A reply damaged on the line is dropped like no reply: with one bit flipped in every reply, the
// polling station stores nothing, flips no lamp and never resets its count of silent runs, so
// the link box comes as on a silent line.

#include <algorithm>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "reliability_fixture.h"

namespace reliability {
namespace {

const std::string kLinkCaption = "       Шлюз не отвечает";

// Where the bit flips, as the reply stands on the line: 10 02 01 node function letter,
// block or group, index or channel, value low, value high, type, 10 03, checksum.
struct FlippedBit {
    const char* name;
    int byte;
    int bit;
};

void PrintTo(const FlippedBit& flip, std::ostream* os) { *os << flip.name; }

const FlippedBit kFlips[] = {
    {"node", 3, 1},     {"block_or_group", 6, 0}, {"index_or_channel", 7, 2},
    {"value_low", 8, 4}, {"value_high", 9, 6},    {"type", 10, 4},
};

// Everything a reply can put into the process image, and the receive lamp.
struct Stored {
    std::int32_t controllerNo, countA, countB, groupBKind, rxLamp;
    IndexedArray<std::int32_t, 8> inputA, inputB;
    IndexedArray<std::int32_t, 7, 9> inputBUpper;
    IndexedArray<std::int32_t, 4> setpoint, setting, loopState;
    IndexedArray<std::int32_t, 15> netNode;

    static Stored Now() {
        const TProcessImage& pi = ProcessImage;
        return {pi.ControllerNo, pi.CountA,       pi.CountB,       pi.GroupBKind,  pi.RxLamp,
                pi.InputA,       pi.InputB,       pi.InputBUpper,  pi.LoopSetpoint, pi.LoopUstavka,
                pi.LoopState,    pi.NetNode};
    }
    bool operator==(const Stored&) const = default;
};

struct FlippedReplies : StationGoingBad, ::testing::WithParamInterface<std::tuple<FlippedBit, TimingMode>> {};

TEST_P(FlippedReplies, StoreNothingFlipNoLampAndLeaveTheLinkCountRunning) {
    const auto& [flip, timing] = GetParam();
    sim::Scenario damaged = Network(8, 8, {1, 2, 31, 32}, timing);
    sim::FaultRule rule = Fault(sim::FaultType::BitFlip);
    rule.byteIndex = flip.byte;
    rule.bit = flip.bit;
    damaged.faults.push_back(rule);
    Start(Network(8, 8, {1, 2, 31, 32}, timing), damaged);
    // Long enough for every input and a parameter burst to have come in whole.
    backend.RunFor(Ms(160'000));
    ASSERT_EQ(ProcessImage.InputA[8], 4000);
    ASSERT_EQ(ProcessImage.LoopSetpoint[4], 3000);

    backend.ClearBoxes();
    Stored before{};
    Micros from = 0;
    std::int32_t countAfterLastRun = 0;
    device->onSwitch = [&] {
        before = Stored::Now();
        from = backend.Now();
        countAfterLastRun = ProcessImage.NoReplyCount;
    };
    // From the switch on, at every run of the display timer: nothing stored, no lamp flipped,
    // the count of silent runs only ever raised by the display timer itself.
    int runs = 0, resets = 0;
    auto display = Form1->Timer1->OnTimer;
    Form1->Timer1->OnTimer = [&, display] {
        if (device->FaultsOn()) {
            ++runs;
            if (ProcessImage.NoReplyCount != countAfterLastRun) ++resets;
            EXPECT_TRUE(Stored::Now() == before) << "display run " << runs;
        }
        display();
        countAfterLastRun = ProcessImage.NoReplyCount;
    };
    GoBad();
    // Past a parameter burst and several loop-state runs.
    backend.RunFor(Ms(330'000));

    EXPECT_TRUE(Stored::Now() == before);
    EXPECT_GT(runs, 160);
    EXPECT_EQ(resets, 0);
    const std::vector<headless::BoxRecord> link = BoxesCaptioned(backend.Boxes(), kLinkCaption);
    ASSERT_GE(link.size(), 4u);
    EXPECT_LE(link[0].openedAt, from + Ms(110'000));
    EXPECT_EQ(link.size(), backend.Boxes().size());

    // The replies did come, every one of them damaged: a parameter burst, the inputs of both
    // groups and the loop states.
    int replies = 0;
    std::vector<sim::RequestKind> kinds;
    for (const sim::LoggedFrame& f : device->Faulty().log()) {
        if (f.direction != sim::LoggedFrame::Direction::Reply) continue;
        ++replies;
        EXPECT_EQ(f.faults, std::vector<sim::FaultType>{sim::FaultType::BitFlip});
        kinds.push_back(f.kind);
    }
    EXPECT_GT(replies, 100);
    using sim::RequestKind;
    for (RequestKind kind : {RequestKind::ReadInput, RequestKind::ReadParam, RequestKind::LoopState})
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), kind), kinds.end()) << sim::KindName(kind);
}

INSTANTIATE_TEST_SUITE_P(
    Station, FlippedReplies,
    ::testing::Combine(::testing::ValuesIn(kFlips), ::testing::Values(TimingMode::Instant, TimingMode::Line)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + line_test::ModeName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace reliability
