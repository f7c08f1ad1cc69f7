// Faults and timing as the station would meet them: the bytes a SimDevice queues for the
// station's reads and the moments they arrive, on a virtual clock.

#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "sim/sim_device.h"
#include "sim_test_support.h"

namespace {

using platform::Micros;
using platform::Ms;
using simtest::FromHex;

constexpr Micros kChar = 2500;  // 4800 baud, 12 bits a byte

// Read input A3 of controller 5 and the reply the worked network gives it.
const char* const kReadA3 = "10 02 01 05 04 4E 05 03 10 03 85";
const char* const kReplyA3 = "10 02 01 05 04 52 05 03 00 40 11 10 03 DA";
constexpr Micros kReadA3End = 11 * kChar;  // written from time 0

struct Burst {
    std::string hex;
    Micros first;
    Micros gap;
};

std::vector<win32::VirtualDevice::TimedByte> Expand(const std::vector<Burst>& bursts) {
    std::vector<win32::VirtualDevice::TimedByte> bytes;
    for (const Burst& b : bursts) {
        Micros t = b.first;
        for (std::uint8_t v : FromHex(b.hex)) {
            bytes.push_back({t, v});
            t += b.gap;
        }
    }
    return bytes;
}

std::string Show(const std::vector<win32::VirtualDevice::TimedByte>& bytes) {
    std::string text;
    for (const auto& b : bytes) text += sim::Hex(std::vector<std::uint8_t>{b.value}) + "@" + std::to_string(b.arrival) + " ";
    return text;
}

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetCurrentClock(&clock_); }
    void TearDown() override { platform::SetCurrentClock(nullptr); }

    void Start(sim::Scenario s) { device_ = std::make_unique<sim::SimDevice>(std::move(s)); }
    void StartWith(sim::FaultRule rule, sim::TimingMode mode = sim::TimingMode::Instant) {
        sim::Scenario s = simtest::WorkedScenario();
        s.timing.mode = mode;
        s.timing.latencyMin = s.timing.latencyMax = Ms(100);
        s.faults = {rule};
        Start(s);
    }
    // The station writes `hex` from `start`, one byte each 2.5 ms.
    void Write(const std::string& hex, Micros start = 0) { device_->OnWrite(FromHex(hex), start, kChar); }
    // What the station would read from now on, then forgotten.
    std::vector<win32::VirtualDevice::TimedByte> Take() {
        std::vector<win32::VirtualDevice::TimedByte> bytes(device_->Pending().begin(), device_->Pending().end());
        device_->Pending().clear();
        return bytes;
    }
    // Whether each of `n` writes of `hex`, 500 ms apart, got an answer.
    std::string Answered(const std::string& hex, int n, Micros& t) {
        std::string pattern;
        for (int i = 0; i < n; ++i, t += Ms(500)) {
            Write(hex, t);
            pattern += Take().empty() ? '-' : 'R';
        }
        return pattern;
    }

    platform::VirtualClock clock_;
    std::unique_ptr<sim::SimDevice> device_;
};

sim::FaultRule Rule(sim::FaultType type) {
    sim::FaultRule r;
    r.type = type;
    return r;
}

struct FaultCase {
    const char* what;
    sim::FaultRule rule;
    sim::TimingMode mode;
    std::vector<Burst> expected;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.what; }


std::vector<FaultCase> FaultCases() {
    using F = sim::FaultType;
    using sim::TimingMode;
    std::vector<FaultCase> cases;
    const auto add = [&](const char* what, sim::FaultRule r, std::vector<Burst> e, TimingMode m = TimingMode::Instant) {
        cases.push_back({what, std::move(r), m, std::move(e)});
    };
    {
        auto r = Rule(F::Silence);
        r.on = sim::RequestKind::Probe;
        add("a fault on another kind: the whole reply the moment the request is complete", r,
            {{kReplyA3, kReadA3End, 0}});
    }

    add("silence", Rule(F::Silence), {});
    {
        auto r = Rule(F::Late);
        r.delay = Ms(60);
        add("late: past the station's 40 ms read", r, {{kReplyA3, kReadA3End + Ms(60), 0}});
    }
    {
        auto r = Rule(F::Split);
        r.splitAt = 6;
        r.gap = Ms(4);
        add("split with a gap below 5 ms", r,
            {{"10 02 01 05 04 52", kReadA3End, 0}, {"05 03 00 40 11 10 03 DA", kReadA3End + Ms(4), 0}});
        r.gap = Ms(8);
        add("split with a gap above 5 ms", r,
            {{"10 02 01 05 04 52", kReadA3End, 0}, {"05 03 00 40 11 10 03 DA", kReadA3End + Ms(8), 0}});
        add("split on a paced line: the gap counts from the last byte of the first part", r,
            {{"10 02 01 05 04 52", kReadA3End + Ms(100) + kChar, kChar},
             {"05 03 00 40 11 10 03 DA", kReadA3End + Ms(100) + 6 * kChar + Ms(8), kChar}},
            TimingMode::Line);
        r.gap = Ms(1);
        add("split on a paced line with a gap shorter than a byte: no gap at all", r,
            {{kReplyA3, kReadA3End + Ms(100) + kChar, kChar}}, TimingMode::Line);
    }
    {
        auto r = Rule(F::Noise);
        r.noise = {0x55, 0xFF, 0x10, 0x00};
        add("noise before the frame", r, {{std::string("55 FF 10 00 ") + kReplyA3, kReadA3End, 0}});
    }
    add("wrong checksum", Rule(F::BadChecksum), {{"10 02 01 05 04 52 05 03 00 40 11 10 03 DB", kReadA3End, 0}});
    {
        auto r = Rule(F::BitFlip);
        r.byteIndex = 8;
        r.bit = 6;
        add("bit flip in the value, checksum as it was", r, {{"10 02 01 05 04 52 05 03 40 40 11 10 03 DA", kReadA3End, 0}});
    }
    {
        auto r = Rule(F::GatewayError);
        add("gateway error: no answer from the controller asked", r, {{"10 02 01 00 00 50 01 05 1F 10 03 9B", kReadA3End, 0}});
        r.code = 0x2C;
        r.about = 0;
        add("gateway error 0x2C about node 0", r, {{"10 02 01 00 00 50 01 00 2C 10 03 A3", kReadA3End, 0}});
    }
    {
        auto r = Rule(F::WrongNode);
        r.replyNode = 7;
        add("reply from another node", r, {{"10 02 01 07 04 52 05 03 00 40 11 10 03 DC", kReadA3End, 0}});
        r.replyNode = -1;
        add("reply from the next node by default", r, {{"10 02 01 06 04 52 05 03 00 40 11 10 03 DB", kReadA3End, 0}});
    }
    {
        auto r = Rule(F::Late);
        r.delay = Ms(60);
        add("late on a paced line: latency, then the delay, then 2.5 ms a byte", r,
            {{kReplyA3, kReadA3End + Ms(160) + kChar, kChar}}, TimingMode::Line);
    }
    return cases;
}

class Faults : public DeviceTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(Faults, ReachTheStationAsTheseBytesAtTheseTimes) {
    StartWith(GetParam().rule, GetParam().mode);
    Write(kReadA3);
    const auto got = Take();
    EXPECT_EQ(Show(got), Show(Expand(GetParam().expected))) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(EachFault, Faults, ::testing::ValuesIn(FaultCases()),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(DeviceTest, AGatewayErrorOrSilenceCarriesNothingOut) {
    for (sim::FaultType type : {sim::FaultType::GatewayError, sim::FaultType::Silence}) {
        auto r = Rule(type);
        r.on = sim::RequestKind::WriteParam;
        StartWith(r);
        Write("10 02 01 05 01 49 07 04 01 11 10 03 92");
        Take();
        EXPECT_EQ(device_->network().ParameterWord(5, 7, 4), 0x2001) << sim::FaultName(type);
    }
}

TEST_F(DeviceTest, NoAckLeavesOneWriteUnansweredForItsTriesThenAcknowledgesIt) {
    auto r = Rule(sim::FaultType::NoAck);
    r.tries = 3;
    r.nth = 1;
    StartWith(r);
    Micros t = 0;
    // The station's tries of one write (the value moves by the retry bias; still one write).
    std::string pattern;
    for (const char* w : {"10 02 01 05 01 49 07 04 01 20 10 03 A1", "10 02 01 05 01 49 07 04 01 20 10 03 A1",
                          "10 02 01 05 01 49 07 04 0D 20 10 03 AD", "10 02 01 05 01 49 07 04 19 20 10 03 B9"}) {
        Write(w, t);
        const auto got = Take();
        pattern += got.empty() ? '-' : 'A';
        if (!got.empty()) {
            EXPECT_EQ(Show(got), Show(Expand({{"10 02 01 05 01 50 00 10 03 7C", t + 13 * kChar, 0}})));
        }
        t += Ms(500);
    }
    EXPECT_EQ(pattern, "---A");
    EXPECT_EQ(device_->network().ParameterWord(5, 7, 4), 0x2019);  // only the acknowledged try was stored
    // The next write is another write, and only the first was chosen.
    EXPECT_EQ(Answered("10 02 01 05 01 49 08 05 01 20 10 03 A3", 1, t), "R");
}

TEST_F(DeviceTest, NoAckStartsAFreshWriteAfterALongPause) {
    auto r = Rule(sim::FaultType::NoAck);
    r.tries = 30;  // more than the station's 20 tries
    r.nth = 1;
    StartWith(r);
    Micros t = 0;
    EXPECT_EQ(Answered("10 02 01 05 01 49 07 04 01 20 10 03 A1", 20, t), std::string(20, '-'));
    t += Ms(10'000);  // the operator tries again later: a new write, not chosen
    EXPECT_EQ(Answered("10 02 01 05 01 49 07 04 01 20 10 03 A1", 1, t), "R");
}

TEST_F(DeviceTest, SelectionCountsOnlyTheRequestsARuleMatches) {
    struct Case {
        const char* what;
        sim::FaultRule rule;
        std::string pattern;  // of eight reads of A3, each after a probe
    };
    auto nth = Rule(sim::FaultType::Silence);
    nth.on = sim::RequestKind::ReadInput;
    nth.nth = 3;
    auto every = nth;
    every.nth = 0;
    every.every = 3;
    auto otherNode = every;
    otherNode.node = 3;
    auto anyKind = Rule(sim::FaultType::Silence);
    anyKind.every = 2;  // probes count too: every read is the second of its pair
    const Case cases[] = {
        {"the 3rd input read", nth, "RR-RRRRR"},
        {"every 3rd input read", every, "RR-RR-RR"},
        {"every 3rd input read to node 3", otherNode, "RRRRRRRR"},
        {"every 2nd request of any kind", anyKind, "--------"},
    };
    for (const Case& c : cases) {
        StartWith(c.rule);
        Micros t = 0;
        std::string pattern;
        for (int i = 0; i < 8; ++i) {
            Write("10 02 04 10 03 29", t);
            Take();
            t += Ms(250);
            pattern += Answered(kReadA3, 1, t);
        }
        EXPECT_EQ(pattern, c.pattern) << c.what;
    }
}

TEST_F(DeviceTest, ProbableFaultsRepeatWithTheSeedAndDifferWithAnother) {
    const auto run = [&](std::uint64_t seed) {
        auto r = Rule(sim::FaultType::Silence);
        r.probability = 0.5;
        sim::Scenario s = simtest::WorkedScenario();
        s.faults = {r};
        s.seed = seed;
        Start(s);
        Micros t = 0;
        return Answered(kReadA3, 64, t);
    };
    const std::string a = run(7);
    EXPECT_EQ(run(7), a);
    EXPECT_NE(run(8), a);
    EXPECT_NE(a.find('-'), std::string::npos);
    EXPECT_NE(a.find('R'), std::string::npos);
}

TEST_F(DeviceTest, LineTimingPacesRepliesAfterTheLatency) {
    sim::Scenario s = simtest::WorkedScenario();
    s.timing.mode = sim::TimingMode::Line;
    s.timing.latencyMin = s.timing.latencyMax = Ms(100);
    Start(s);
    Write(kReadA3);
    EXPECT_EQ(Show(Take()), Show(Expand({{kReplyA3, kReadA3End + Ms(100) + kChar, kChar}})));
}

TEST_F(DeviceTest, LatenciesAreDrawnWithinTheirRangeAndRepeatWithTheSeed) {
    const auto firstArrivals = [&] {
        sim::Scenario s = simtest::WorkedScenario();
        s.timing.mode = sim::TimingMode::Line;
        Start(s);
        std::vector<Micros> arrivals;
        for (Micros t = 0; t < Ms(20'000); t += Ms(500)) {
            Write(kReadA3, t);
            arrivals.push_back(Take().front().arrival - (t + kReadA3End + kChar));
        }
        return arrivals;
    };
    const auto a = firstArrivals();
    EXPECT_EQ(firstArrivals(), a);
    for (Micros latency : a) {
        EXPECT_GE(latency, Ms(80));
        EXPECT_LE(latency, Ms(200));
    }
    EXPECT_GT(*std::max_element(a.begin(), a.end()) - *std::min_element(a.begin(), a.end()), Ms(20));
}

// A gateway slower than the station's pauses: the replies queue up, in order, never overlapping.
TEST_F(DeviceTest, ALatencyLongerThanThePausesQueuesRepliesInOrder) {
    sim::Scenario s = simtest::WorkedScenario();
    s.timing.mode = sim::TimingMode::Line;
    s.timing.latencyMin = s.timing.latencyMax = Ms(1200);
    Start(s);
    const char* reads[] = {"10 02 01 05 04 4E 05 01 10 03 83", "10 02 01 05 04 4E 05 02 10 03 84", kReadA3};
    Micros t = 0;
    for (const char* r : reads) {
        Write(r, t);
        t += Ms(300);
    }
    const auto got = Take();
    // Each reply starts 1200 ms after its request, four of the station's exchanges later.
    // Reply 2 has 15 bytes (its low value byte 0x10 doubled).
    ASSERT_EQ(got.size(), 14u + 15u + 14u);
    EXPECT_EQ(got[0].arrival, kReadA3End + Ms(1200) + kChar);
    EXPECT_EQ(got[14].arrival, Ms(300) + kReadA3End + Ms(1200) + kChar);
    EXPECT_EQ(got[29].arrival, Ms(600) + kReadA3End + Ms(1200) + kChar);
    for (std::size_t i = 1; i < got.size(); ++i) EXPECT_GE(got[i].arrival - got[i - 1].arrival, kChar);

    // Two requests closer together than a reply's time on the line: the second reply waits.
    Start(s);
    Write(kReadA3, 0);
    Write(kReadA3, Ms(30));
    const auto queued = Take();
    ASSERT_EQ(queued.size(), 28u);
    EXPECT_EQ(queued[14].arrival, queued[13].arrival + kChar);
}

TEST_F(DeviceTest, LogsEveryFrameBothWaysWithItsTimes) {
    auto r = Rule(sim::FaultType::Late);
    r.on = sim::RequestKind::Probe;
    StartWith(r);
    Write("10 02 04 10 03 29", Ms(300));
    Write("10 02 01 05 04 4E 05 03 10 03 86", Ms(800));  // wrong checksum
    Write(kReadA3, Ms(1300));
    using D = sim::LoggedFrame::Direction;
    const std::vector<sim::LoggedFrame> expected = {
        {D::Request, Ms(300), Ms(300) + 6 * kChar, FromHex("10 02 04 10 03 29"), sim::RequestKind::Probe, true,
         {sim::FaultType::Late}},
        {D::Reply, Ms(300) + 6 * kChar + Ms(60), Ms(300) + 6 * kChar + Ms(60), FromHex("10 02 04 14 00 10 03 3D"),
         sim::RequestKind::Probe, true, {sim::FaultType::Late}},
        {D::Request, Ms(800), Ms(800) + kReadA3End, FromHex("10 02 01 05 04 4E 05 03 10 03 86"),
         sim::RequestKind::ReadInput, false, {}},
        {D::Request, Ms(1300), Ms(1300) + kReadA3End, FromHex(kReadA3), sim::RequestKind::ReadInput, true, {}},
        {D::Reply, Ms(1300) + kReadA3End, Ms(1300) + kReadA3End, FromHex(kReplyA3), sim::RequestKind::ReadInput, true, {}},
    };
    EXPECT_EQ(device_->log(), expected);
}

}  // namespace
