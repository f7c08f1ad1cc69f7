// The two polling timers on the line: the tick schedule of inputs and loop parameters (group B
// once a cycle, group A every second cycle from a cursor of its own, a parameter burst every
// tenth), what BusyMode holds, groups without inputs left unasked, and the loop-state runs.

#include <string>
#include <utility>
#include <vector>

#include "line_fixture.h"

namespace line_test {
namespace {

constexpr int kNode = 5;
using Address = std::pair<int, int>;  // block, index

const std::vector<Address> kFullBurst = {{7, 4},  {7, 4},  {8, 5},  {10, 4}, {11, 5},
                                         {13, 4}, {14, 5}, {17, 4}, {18, 5}};

// The requests of each tick as the schedule describes them, for `ticks` ticks from the first:
// a cycle of b + 22 ticks; group B on its ticks 21 to b + 21; group A on its ticks 5 to 9 of
// every second cycle; a parameter burst from tick 5 of every tenth cycle. Both groups take turns
// on one cursor running 1 to a + b; group B reduces it into 1..b, group A reads its own inputs
// in turn. A group without inputs is not asked, but the cursor moves on.
std::vector<std::vector<Bytes>> Schedule(int a, int b, const std::vector<Address>& burst, int ticks) {
    std::vector<std::vector<Bytes>> out(static_cast<std::size_t>(ticks));
    const int cycleLength = b + 22;
    int slot = 0;      // input requests due so far
    int groupA = 0;    // group A requests sent so far
    for (int t = 1; t <= ticks; ++t) {
        std::vector<Bytes>& tick = out[static_cast<std::size_t>(t - 1)];
        const int pos = (t - 1) % cycleLength + 1;
        const int cycle = (t - 1) / cycleLength + 1;
        const int inBurst = pos - 5;
        if (cycle % 10 == 0 && inBurst >= 0 && inBurst < static_cast<int>(burst.size()))
            tick.push_back(ParamRead(kNode, burst[inBurst].first, burst[inBurst].second));
        const bool aDue = cycle % 2 == 0 && pos >= 5 && pos <= 9;
        const bool bDue = pos >= 21 && pos <= b + 21;
        if (!aDue && !bDue) continue;
        const int cursor = slot++ % (a + b) + 1;
        if (aDue) {
            if (a > 0) tick.push_back(InputRead(kNode, 5, groupA++ % a + 1));
        } else if (b > 0) {
            tick.push_back(InputRead(kNode, 6, (cursor - 1) % b + 1));
        }
    }
    return out;
}

struct Polling : StationOnLine {
    // Starts the station and lets the polling timer run `count` times; the loop-state timer is
    // stopped so that nothing else holds the schedule.
    void Poll(const sim::Scenario& s, int count) {
        Start(s);
        Form1->Timer3->SetEnabled(false);
        RecordTicks();
        RunTicks(count);
    }
    void RunTicks(int count) {
        const std::size_t target = ticks.size() + static_cast<std::size_t>(count);
        ASSERT_TRUE(backend.RunUntil([&] { return ticks.size() >= target; }, Ms(500) * (count + 2)));
    }
    // The requests each tick sent.
    std::vector<Sent> SentBy(std::size_t tick) const {
        const std::size_t end = tick + 1 < ticks.size() ? ticks[tick + 1].logBefore : LogSize();
        return Requests(ticks[tick].logBefore, end);
    }
    // Checks the ticks that passed BusyMode against the schedule: the same requests, the first of
    // a tick as it runs, a second right after the first's exchange.
    void ExpectSchedule(const std::vector<std::vector<Bytes>>& expected, TimingMode mode) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < ticks.size() && n < expected.size(); ++i) {
            const std::vector<Sent> sent = SentBy(i);
            if (!ticks[i].passed) {
                EXPECT_TRUE(sent.empty()) << "held tick " << i;
                continue;
            }
            const std::vector<Bytes>& want = expected[n++];
            ASSERT_EQ(sent.size(), want.size()) << "tick " << n;
            for (std::size_t k = 0; k < want.size(); ++k)
                EXPECT_EQ(Hex(sent[k].bytes), Hex(want[k])) << "tick " << n;
            if (!sent.empty()) {
                EXPECT_EQ(sent[0].at, ticks[i].at) << "tick " << n;
            }
            if (sent.size() == 2) ExpectPaced(sent, 1, 0, mode);
        }
        EXPECT_EQ(n, expected.size());
    }
    // The channels of group `group` requested, in order.
    std::vector<int> Channels(int group) const {
        std::vector<int> out;
        for (std::size_t i = 0; i < ticks.size(); ++i)
            for (const Sent& r : SentBy(i))
                if (r.bytes[4] == 0x04 && r.bytes[6] == group) out.push_back(r.bytes[7]);
        return out;
    }
};

class InputsAndParameters : public Polling, public ::testing::WithParamInterface<TimingMode> {};

// Counts 8 and 8, four loops: 600 ticks, twenty cycles, two parameter bursts.
TEST_P(InputsAndParameters, FollowTheTickSchedule) {
    Poll(Network(8, 8, {1, 2, 31, 32}, GetParam()), 600);
    ExpectSchedule(Schedule(8, 8, kFullBurst, 600), GetParam());

    // The schedule's own landmarks.
    const auto inputs = [&](int from, int to) {
        std::vector<std::string> out;
        for (int t = from; t <= to; ++t)
            for (const Sent& r : SentBy(static_cast<std::size_t>(t - 1)))
                if (r.bytes[4] == 0x04) out.push_back((r.bytes[6] == 5 ? "A" : "B") + std::to_string(r.bytes[7]));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(inputs(21, 29), (V{"B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B1"}));
    EXPECT_EQ(inputs(35, 39), (V{"A1", "A2", "A3", "A4", "A5"}));
    EXPECT_EQ(inputs(51, 59), (V{"B7", "B8", "B1", "B2", "B3", "B4", "B5", "B6", "B7"}));
    EXPECT_EQ(inputs(95, 99), (V{"A6", "A7", "A8", "A1", "A2"}));
    EXPECT_TRUE(SentBy(273).empty() && SentBy(284).empty());
    EXPECT_EQ(Hex(SentBy(274)[0].bytes), Hex(ParamRead(kNode, 7, 4)));
    EXPECT_EQ(Hex(SentBy(574)[0].bytes), Hex(ParamRead(kNode, 7, 4)));

    // Every reply found its field, on the line one exchange late.
    backend.RunFor(Ms(1000));
    const sim::SentValues& values = device->sent();
    for (int k = 1; k <= 8; ++k) {
        EXPECT_TRUE(values.Contains(sim::Field::InputA, k, ProcessImage.InputA[k])) << "A" << k;
        EXPECT_TRUE(values.Contains(sim::Field::InputB, k, ProcessImage.InputB[k])) << "B" << k;
    }
    EXPECT_EQ(ProcessImage.LoopSetpoint[4], 3000);
    EXPECT_EQ(ProcessImage.LoopUstavka[4], 100);
    EXPECT_EQ(ProcessImage.GroupBKind, 0);
}

INSTANTIATE_TEST_SUITE_P(Station, InputsAndParameters, ::testing::Values(TimingMode::Instant, TimingMode::Line),
                         [](const auto& info) { return std::string(ModeName(info.param)); });

// The loops in use decide the rows of a burst; a row of a loop out of use sends the request
// before it again (the template keeps its block and index: 7 and 5 as it starts).
struct BurstCase {
    const char* name;
    std::vector<int> unansweredLoopReads;  // loop-state reads of discovery (1..5) left unanswered
    std::vector<Address> burst;
};
void PrintTo(const BurstCase& c, std::ostream* os) { *os << c.name; }

const BurstCase kBursts[] = {
    {"Loops1And3", {3, 5}, {{7, 4}, {7, 4}, {8, 5}, {8, 5}, {8, 5}, {13, 4}, {14, 5}}},
    {"NoLoop", {1, 2, 3, 4, 5}, {{7, 5}, {7, 5}, {7, 5}}},
};

class ParameterBurst : public Polling, public ::testing::WithParamInterface<BurstCase> {};

TEST_P(ParameterBurst, RepeatsTheRowsOfLoopsOutOfUse) {
    sim::Scenario s = Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant);
    for (int nth : GetParam().unansweredLoopReads)
        s.faults.push_back(Fault(sim::FaultType::Silence, sim::RequestKind::LoopState, nth));
    Poll(s, 600);
    std::vector<std::string> params;
    for (std::size_t i = 0; i < ticks.size(); ++i)
        for (const Sent& r : SentBy(i))
            if (r.bytes[4] == 0x01) params.push_back(std::to_string(i + 1) + ":" + Hex(r.bytes));
    std::vector<std::string> want;
    for (int start : {275, 575})
        for (std::size_t k = 0; k < GetParam().burst.size(); ++k)
            want.push_back(std::to_string(start + static_cast<int>(k)) + ":" +
                           Hex(ParamRead(kNode, GetParam().burst[k].first, GetParam().burst[k].second)));
    EXPECT_EQ(params, want);
}

INSTANTIATE_TEST_SUITE_P(Station, ParameterBurst, ::testing::ValuesIn(kBursts),
                         [](const auto& info) { return std::string(info.param.name); });

// Pairs of counts for which the shared cursor left group A inputs unread for ever (7/7: only
// 2 to 6; 8/1: 3 to 7; 8/10: 3 to 8), and groups without inputs, which would be asked with
// channels the controller refuses, an error box each cycle.
struct CountsCase {
    int a, b;
};
void PrintTo(const CountsCase& c, std::ostream* os) { *os << "A" << c.a << " B" << c.b; }

class InputCounts : public Polling, public ::testing::WithParamInterface<CountsCase> {};

TEST_P(InputCounts, EveryInputIsReadAndAnEmptyGroupIsNotAsked) {
    const auto [a, b] = GetParam();
    const int ticks = 40 * (b + 22);
    Poll(Network(a, b, {1, 1, 1, 1}, TimingMode::Instant), ticks);
    ASSERT_EQ(ProcessImage.CountA, a);
    ASSERT_EQ(ProcessImage.CountB, b);
    ExpectSchedule(Schedule(a, b, kFullBurst, ticks), TimingMode::Instant);

    // Group A: 1, 2, ..., a, 1, 2, ... across its bursts of five.
    const std::vector<int> channelsA = Channels(5);
    EXPECT_EQ(channelsA.size(), a > 0 ? 100u : 0u);
    for (std::size_t i = 0; a > 0 && i < channelsA.size(); ++i)
        EXPECT_EQ(channelsA[i], static_cast<int>(i) % a + 1);
    const std::vector<int> channelsB = Channels(6);
    EXPECT_EQ(channelsB.empty(), b == 0);
    for (int channel : channelsB) EXPECT_TRUE(channel >= 1 && channel <= b) << channel;
    // No channel was refused, so no error box came.
    for (const headless::BoxRecord& box : backend.Boxes()) EXPECT_EQ(box.caption, "Нажмите ОК и расслабтесь");
}

INSTANTIATE_TEST_SUITE_P(Station, InputCounts,
                         ::testing::Values(CountsCase{7, 7}, CountsCase{8, 1}, CountsCase{8, 10}, CountsCase{8, 0},
                                           CountsCase{0, 8}),
                         [](const auto& info) {
                             return "A" + std::to_string(info.param.a) + "B" + std::to_string(info.param.b);
                         });

// While another exchange holds the line (BusyMode 1 or 10) a tick changes nothing at all; the
// schedule goes on from where it stood.
TEST_F(Polling, BusyModeHoldsTheSchedule) {
    Poll(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant), 25);  // into the first group B burst
    for (int busy : {1, 10}) {
        const TProcessImage before = ProcessImage;
        ProcessImage.BusyMode = busy;
        RunTicks(20);
        EXPECT_EQ(ProcessImage.PollTick, before.PollTick);
        EXPECT_EQ(ProcessImage.GroupATick, before.GroupATick);
        EXPECT_EQ(ProcessImage.ParamTick, before.ParamTick);
        EXPECT_EQ(ProcessImage.ChannelCursor, before.ChannelCursor);
        EXPECT_EQ(ProcessImage.ParamPollIndex, before.ParamPollIndex);
        EXPECT_EQ(ProcessImage.GroupACursor, before.GroupACursor);
        EXPECT_EQ(ProcessImage.TxLamp, before.TxLamp);
        ProcessImage.BusyMode = 0;
        RunTicks(40);
    }
    RunTicks(300);
    ExpectSchedule(Schedule(8, 8, kFullBurst, 325), TimingMode::Instant);
}

// A tick that sends nothing still addresses both templates to the controller in service and
// seals them.
TEST_F(Polling, AQuietTickRewritesTheNodeAndBothChecksums) {
    Poll(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant), 12);  // ticks 11 to 20 are quiet
    TProcessImage& pi = ProcessImage;
    pi.ControllerNo = 9;
    pi.ReqReadInput[10] = 0;
    pi.ReqReadParam[10] = 0;
    const std::size_t logBefore = LogSize();
    RunTicks(1);
    EXPECT_EQ(LogSize(), logBefore);
    const auto sum = [](const std::uint8_t* f) {
        std::uint8_t s = 0;
        for (int i = 0; i < 10; ++i) s = static_cast<std::uint8_t>(s + f[i]);
        return s;
    };
    EXPECT_EQ(pi.ReqReadInput[3], 9);
    EXPECT_EQ(pi.ReqReadInput[10], sum(pi.ReqReadInput));
    EXPECT_EQ(pi.ReqReadParam[3], 9);
    EXPECT_EQ(pi.ReqReadParam[10], sum(pi.ReqReadParam));
}

// --- Loop states ---

struct LoopStateCase {
    const char* name;
    std::array<int, 4> states;
    int loopCount;
    std::vector<int> asked;
};
void PrintTo(const LoopStateCase& c, std::ostream* os) { *os << c.name; }

const LoopStateCase kLoopStates[] = {
    {"FourLoopsOneUnknown", {2, 0, 31, 1}, 4, {1, 3, 4, 1}},
    {"ThreeLoops", {1, 1, 1, 0}, 3, {1, 2, 3, 1, 2}},
    {"TwoLoops", {1, 1, 0, 0}, 2, {1, 2, 1, 2, 1}},
    {"OneLoop", {1, 0, 0, 0}, 1, {1, 1, 1, 1, 1}},
    {"LoopOutOfUse", {1, 10, 1, 0}, 3, {1, 3, 1}},
    {"NoLoop", {0, 0, 0, 0}, 1, {}},
};

class LoopStatePoll : public StationOnLine,
                      public ::testing::WithParamInterface<std::tuple<LoopStateCase, TimingMode>> {};

TEST_P(LoopStatePoll, AsksTheLoopsInUseEachAfterItsPause) {
    const auto& [c, mode] = GetParam();
    // The network's loops answer with the states the case starts from.
    std::array<int, 4> modes{};
    for (int k = 0; k < 4; ++k) modes[k] = c.states[k] == 10 ? 0 : c.states[k];
    Start(Network(8, 8, modes, mode));
    Form1->Timer2->SetEnabled(false);
    Form1->Timer3->SetEnabled(false);
    ShowMainWindow();

    TProcessImage& pi = ProcessImage;
    for (int k = 1; k <= 4; ++k) pi.LoopState[k] = c.states[k - 1];
    pi.LoopCount = c.loopCount;
    const std::size_t logBefore = LogSize();
    const Micros start = backend.Now();
    Form1->Timer3Timer();

    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), c.asked.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(Hex(sent[i].bytes), Hex(LoopStateRead(kNode, c.asked[i]))) << i;
        if (i == 0) {
            EXPECT_EQ(sent[0].at, start + Ms(500));
        } else {
            ExpectPaced(sent, i, Ms(500), mode);
        }
    }
    EXPECT_EQ(pi.BusyMode, 0);
}

INSTANTIATE_TEST_SUITE_P(Station, LoopStatePoll,
                         ::testing::Combine(::testing::ValuesIn(kLoopStates),
                                            ::testing::Values(TimingMode::Instant, TimingMode::Line)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    ModeName(std::get<1>(info.param));
                         });

// A run that meets BusyMode 1 (another exchange reading back inside a box) runs all the same and
// leaves 0; one that meets 10 does nothing.
TEST_F(StationOnLine, LoopStatePollRunsUnderBusyModeOneButNotTen) {
    Start(Network(8, 8, {1, 2, 31, 32}, TimingMode::Instant));
    Form1->Timer2->SetEnabled(false);
    TProcessImage& pi = ProcessImage;

    pi.BusyMode = 10;
    std::size_t logBefore = LogSize();
    Form1->Timer3Timer();
    EXPECT_EQ(LogSize(), logBefore);
    EXPECT_EQ(pi.BusyMode, 10);

    pi.BusyMode = 1;
    logBefore = LogSize();
    Form1->Timer3Timer();
    EXPECT_EQ(Requests(logBefore).size(), 5u);
    EXPECT_EQ(pi.BusyMode, 0);

    // On its own timer: the first run 55 s after the window was created.
    pi.BusyMode = 0;
    Form1->Timer3->SetEnabled(false);
    Form1->Timer3->SetEnabled(true);
    const Micros armed = backend.Now();
    logBefore = LogSize();
    backend.RunFor(Ms(55'000) - 1);
    EXPECT_EQ(Requests(logBefore).size(), 0u);
    backend.RunFor(1);
    const std::vector<Sent> sent = Requests(logBefore);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0].at, armed + Ms(55'500));
}

}  // namespace
}  // namespace line_test
