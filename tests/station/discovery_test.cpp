// Start-up discovery on the line: every request in order with its pause, the counts of both
// input groups, the captions and status text it leaves, and the probe's box waiting for the
// operator while the timers keep off the line.

#include <string>
#include <vector>

#include "line_fixture.h"
#include "platform/vcl/format.h"

namespace line_test {
namespace {

const std::string kGroupA = "Ввод группы А   (m =  ";
const std::string kGroupB = "Ввод группы Б   (m =  ";
const std::string kFormStatus =
    "                                          Опрос группы А каждые - 30 сек. ,   группы Б  каждые - 15 сек.";
const std::string kLoopStatus =
    "             Опрос группы А - каждые 30 сек. ,    группы Б - каждые 15 сек. ,    контуров регулирования - каждые  2  минуты ";

struct Step {
    Bytes bytes;
    Micros pause;
};

// What discovery sends, given what it finds out: the count of group A after its first pass,
// whether group B's upper channels are asked, the count of group B before its second pass.
std::vector<Step> DiscoverySteps(int node, int countA, bool upperB, int secondPassB, bool kindRead) {
    std::vector<Step> steps;
    for (int i = 0; i < 2; ++i) steps.push_back({Probe(), Ms(300)});
    for (int loop : {1, 1, 2, 3, 4}) steps.push_back({LoopStateRead(node, loop), Ms(500)});
    for (int ch = 8; ch >= 1; --ch) steps.push_back({InputRead(node, 5, ch), Ms(500)});
    for (int ch = countA; ch >= 1; --ch) steps.push_back({InputRead(node, 5, ch), Ms(300)});
    for (int ch = 8; ch >= 1; --ch) steps.push_back({InputRead(node, 6, ch), Ms(500)});
    if (upperB)
        for (int ch = 15; ch >= 8; --ch) steps.push_back({InputRead(node, 6, ch), Ms(500)});
    for (int ch = secondPassB; ch >= 1; --ch) steps.push_back({InputRead(node, 6, ch), Ms(300)});
    if (kindRead) steps.push_back({InputRead(node, 6, 1), 0});
    return steps;
}

void ExpectSteps(const std::vector<Sent>& sent, const std::vector<Step>& steps, TimingMode mode) {
    ASSERT_EQ(sent.size(), steps.size());
    // The port opens at 0; the first probe follows its pause.
    EXPECT_EQ(sent[0].at, steps[0].pause);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(Hex(sent[i].bytes), Hex(steps[i].bytes)) << "request " << i;
        if (i > 0) ExpectPaced(sent, i, steps[i].pause, mode);
    }
}

struct DiscoveryCase {
    const char* name;
    int inputsA, inputsB;
    std::array<int, 4> modes;
    std::vector<int> unansweredLoopReads;  // which loop-state requests (1..5) get no reply
    bool silent;                           // nothing answers at all
    // What discovery finds.
    int node, countA, countB;
    bool upperB;
    int secondPassB, secondPassBOnLine;  // a refusal read one exchange late lowers the count later
    int loopCount;
    bool loopStatus;
    int groupBKindInstant;
};
void PrintTo(const DiscoveryCase& c, std::ostream* os) { *os << c.name; }

const DiscoveryCase kCases[] = {
    {"GroupAInputs1To5", 5, 8, {1, 2, 31, 32}, {}, false, 5, 5, 8, true, 8, 8, 4, true, 0},
    {"GroupBInputs1To12", 8, 12, {1, 2, 31, 32}, {}, false, 5, 8, 12, true, 12, 12, 4, true, 0},
    {"GroupBChannel8Refused", 8, 7, {1, 2, 31, 32}, {}, false, 5, 8, 7, false, 7, 7, 4, true, 0},
    {"NoGroupB", 8, 0, {1, 2, 31, 32}, {}, false, 5, 8, 0, false, 0, 1, 4, true, 3},
    {"Loops1And3Only", 8, 8, {1, 1, 2, 1}, {3, 5}, false, 5, 8, 8, true, 8, 8, 3, true, 0},
    {"Loops3And4Only", 8, 8, {1, 1, 2, 1}, {1, 2, 3}, false, 5, 8, 8, true, 8, 8, 4, false, 0},
    {"NothingAnswers", 8, 8, {1, 2, 31, 32}, {}, true, 0, 8, 15, true, 15, 15, 1, false, 3},
};

struct Discovery : StationOnLine, ::testing::WithParamInterface<std::tuple<DiscoveryCase, TimingMode>> {};

TEST_P(Discovery, AsksInOrderAndLeavesCountsCaptionsAndStatus) {
    const auto& [c, mode] = GetParam();
    sim::Scenario s = Network(c.inputsA, c.inputsB, c.modes, mode);
    for (int nth : c.unansweredLoopReads)
        s.faults.push_back(Fault(sim::FaultType::Silence, sim::RequestKind::LoopState, nth));
    if (c.silent) s.faults.push_back(Fault(sim::FaultType::Silence));
    Start(s);

    const TProcessImage& pi = ProcessImage;
    const int secondPassB = mode == TimingMode::Instant ? c.secondPassB : c.secondPassBOnLine;
    ExpectSteps(Requests(), DiscoverySteps(c.node, c.countA, c.upperB, secondPassB, c.countB > 0), mode);

    EXPECT_EQ(pi.ControllerNo, c.node);
    EXPECT_EQ(Form1->Lab1->Caption(), c.silent ? "00" : "5");
    EXPECT_EQ(pi.CountA, c.countA);
    EXPECT_EQ(pi.CountB, c.countB);
    EXPECT_EQ(pi.LoopCount, c.loopCount);
    EXPECT_EQ(pi.DiscoveringB, 0);
    EXPECT_EQ(pi.BusyMode, 0);
    EXPECT_EQ(pi.StartupDone, 1);
    if (mode == TimingMode::Instant) {
        EXPECT_EQ(pi.GroupBKind, c.groupBKindInstant);
    }

    EXPECT_EQ(Form1->GroupBox11->Caption(), kGroupA + std::to_string(c.countA) + ") ");
    EXPECT_EQ(Form1->GroupBox14->Caption(), kGroupB + std::to_string(c.countB) + ") ");
    EXPECT_EQ(Form1->GroupBox4->Caption(), kGroupB + std::to_string(c.countB) + ") ");
    EXPECT_EQ(Form1->StatusBar1->Caption(), c.loopStatus ? kLoopStatus : kFormStatus);

    // The probe's box, only when the gateway names a controller.
    const auto& boxes = backend.Boxes();
    if (c.silent) {
        EXPECT_TRUE(boxes.empty());
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, std::string("Считывается информация с контроллера. Код № = ") + "16");
        EXPECT_EQ(boxes[0].caption, "Нажмите ОК и расслабтесь");
        EXPECT_EQ(boxes[0].flags, 0u);  // OK only, no icon
        EXPECT_EQ(boxes[0].kind, vcl::BoxKind::Application);
    }

    ShowMainWindow();
}

INSTANTIATE_TEST_SUITE_P(Station, Discovery,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(TimingMode::Instant, TimingMode::Line)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    ModeName(std::get<1>(info.param));
                         });

// With nothing answering every step runs: 55 exchanges, 22 s of pauses, each read waiting its
// full 40 ms.
TEST_F(StationOnLine, NothingAnsweringTakesAllFiftyFiveExchangesAndTwentyTwoSecondsOfPauses) {
    sim::Scenario s = Network(8, 8, {1, 1, 1, 1}, TimingMode::Instant);
    s.faults.push_back(Fault(sim::FaultType::Silence));
    Start(s);
    const std::vector<Sent> sent = Requests();
    ASSERT_EQ(sent.size(), 55u);
    Micros onLine = 0;
    for (const Sent& r : sent) {
        if (r.bytes != Probe()) {
            EXPECT_EQ(r.bytes[3], 0) << "addressed to controller 0: " << Hex(r.bytes);
        }
        onLine += static_cast<Micros>(r.bytes.size()) * kChar;
    }
    const Micros end = sent.back().end + kReadWithout;
    EXPECT_EQ(end - onLine - 55 * kReadWithout, Ms(22000));
    EXPECT_EQ(ProcessImage.StartupDone, 1);
}

// The scale caption "5,0" is read whatever the system's decimal separator is, so discovery
// never stops at its first step: every request goes out, the last one the group B kind read.
class ScaleAtStartUp : public StationOnLine, public ::testing::WithParamInterface<char> {
protected:
    void TearDown() override {
        StationOnLine::TearDown();
        vcl::DecimalSeparator = saved_;
    }
    char saved_ = vcl::DecimalSeparator;
};

TEST_P(ScaleAtStartUp, DiscoveryRunsToTheEnd) {
    vcl::DecimalSeparator = GetParam();
    Start(Network(8, 8, {1, 1, 1, 1}, TimingMode::Instant));
    EXPECT_FLOAT_EQ(ProcessImage.Scale, 5.0f);
    EXPECT_EQ(ProcessImage.StartupDone, 1);
    const std::vector<Sent> sent = Requests();
    ASSERT_EQ(sent.size(), 48u);
    EXPECT_EQ(Hex(sent.back().bytes), Hex(InputRead(5, 6, 1)));
}

INSTANTIATE_TEST_SUITE_P(Station, ScaleAtStartUp, ::testing::Values('.', ','),
                         [](const auto& info) { return std::string(info.param == '.' ? "Point" : "Comma"); });

// The operator reads the probe's box for a minute. Discovery waits; the polling timers fire
// inside the box and send nothing while BusyMode is 10.
class ProbeBox : public StationOnLine, public ::testing::WithParamInterface<TimingMode> {};

TEST_P(ProbeBox, DiscoveryWaitsForTheOperatorAndTheTimersKeepOffTheLine) {
    int polls = 0;
    int statePolls = 0;
    bool counting = false;
    backend.onBox = [&](headless::OpenBox& box) {
        // The main window exists by now (the box comes from its creation): count its timers.
        if (!counting) {
            counting = true;
            auto poll = Form1->Timer2->OnTimer;
            Form1->Timer2->OnTimer = [&polls, poll] { ++polls; poll(); };
            auto states = Form1->Timer3->OnTimer;
            Form1->Timer3->OnTimer = [&statePolls, states] { ++statePolls; states(); };
        }
        box.RunFor(Ms(60'000));
    };
    Start(Network(8, 8, {1, 1, 1, 1}, GetParam()));

    ASSERT_EQ(backend.Boxes().size(), 1u);
    const headless::BoxRecord& box = backend.Boxes()[0];
    EXPECT_EQ(box.caption, "Нажмите ОК и расслабтесь");
    EXPECT_EQ(box.closedAt - box.openedAt, Ms(60'000));
    EXPECT_GE(polls, 100);
    EXPECT_EQ(statePolls, 1);

    const std::vector<Sent> sent = Requests();
    ASSERT_EQ(sent.size(), 48u);
    std::size_t after = 0;
    for (const Sent& r : sent) {
        EXPECT_FALSE(r.at >= box.openedAt && r.at < box.closedAt) << Hex(r.bytes);
        if (r.at >= box.closedAt) ++after;
    }
    // The box came with the first probe's reply (on the line, read by the second probe), and the
    // next request followed its own pause once the operator had pressed OK.
    EXPECT_EQ(after, GetParam() == TimingMode::Instant ? 47u : 46u);
    const Sent& next = sent[sent.size() - after];
    EXPECT_EQ(next.at, box.closedAt + (after == 47u ? Ms(300) : Ms(500)));
    EXPECT_EQ(ProcessImage.BusyMode, 0);
}

INSTANTIATE_TEST_SUITE_P(Station, ProbeBox, ::testing::Values(TimingMode::Instant, TimingMode::Line),
                         [](const auto& info) { return std::string(ModeName(info.param)); });

}  // namespace
}  // namespace line_test
