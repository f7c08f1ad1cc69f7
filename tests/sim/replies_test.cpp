// The simulator's replies to each request kind, byte for byte. The expected frames are written
// out from the frame layouts (checksums summed by hand), never built with the simulator's code.

#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace {

using simtest::Answer;

struct ReplyCase {
    const char* what;
    const char* request;
    const char* reply;  // empty: no answer
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.what; }


const ReplyCase kReplies[] = {
    {"probe: map of controllers 3 and 5", "10 02 04 10 03 29", "10 02 04 14 00 10 03 3D"},
    {"analog A3 full scale", "10 02 01 05 04 4E 05 03 10 03 85", "10 02 01 05 04 52 05 03 00 40 11 10 03 DA"},
    {"analog A1 whose checksum is 0x10, not doubled", "10 02 01 05 04 4E 05 01 10 03 83",
     "10 02 01 05 04 52 05 01 78 00 11 10 03 10"},
    {"analog A2 with low byte 0x10, doubled", "10 02 01 05 04 4E 05 02 10 03 84",
     "10 02 01 05 04 52 05 02 10 10 00 11 10 03 B9"},
    {"analog A4 negative", "10 02 01 05 04 4E 05 04 10 03 86", "10 02 01 05 04 52 05 04 20 80 11 10 03 3B"},
    {"discrete B1 = 1", "10 02 01 05 04 4E 06 01 10 03 84", "10 02 01 05 04 52 06 01 01 40 01 10 03 CA"},
    {"discrete B2 = 0", "10 02 01 05 04 4E 06 02 10 03 85", "10 02 01 05 04 52 06 02 01 C0 01 10 03 4B"},
    {"analog in group B", "10 02 01 05 04 4E 06 03 10 03 86", "10 02 01 05 04 52 06 03 20 80 11 10 03 3B"},
    {"group A channel beyond the inputs: refused with 22", "10 02 01 05 04 4E 05 09 10 03 8B",
     "10 02 01 05 04 50 16 10 03 95"},
    {"group A channel 0: refused", "10 02 01 05 04 4E 05 00 10 03 82", "10 02 01 05 04 50 16 10 03 95"},
    {"group B channel beyond the inputs: refused", "10 02 01 05 04 4E 06 04 10 03 87",
     "10 02 01 05 04 50 16 10 03 95"},
    {"unknown group 7: refused", "10 02 01 05 04 4E 07 01 10 03 85", "10 02 01 05 04 50 16 10 03 95"},
    {"loop 1 setpoint 2048", "10 02 01 05 01 4E 07 04 10 03 85", "10 02 01 05 01 52 07 04 01 20 51 10 03 FB"},
    {"loop 1 setting 1024: high byte 0x10 doubled", "10 02 01 05 01 4E 08 05 10 03 87",
     "10 02 01 05 01 52 08 05 01 10 10 51 10 03 FD"},
    {"loop 2 setpoint negative", "10 02 01 05 01 4E 0A 04 10 03 88", "10 02 01 05 01 52 0A 04 01 A0 51 10 03 7E"},
    {"a parameter no loop names reads as zero", "10 02 01 05 01 4E 09 04 10 03 87",
     "10 02 01 05 01 52 09 04 01 00 51 10 03 DD"},
    {"loop 1 state: in use, mode 1", "10 02 01 05 02 4E 01 10 03 7C",
     "10 02 01 05 02 52 01 00 00 00 00 00 00 00 00 00 00 20 00 10 03 A0"},
    {"loop 2 state: 0x10 in the uninterpreted bytes doubled", "10 02 01 05 02 4E 02 10 03 7D",
     "10 02 01 05 02 52 02 01 10 10 03 04 05 06 07 08 09 10 10 60 00 10 03 4C"},
    {"loop 3 state: bits 3, 5, 6", "10 02 01 05 02 4E 03 10 03 7E",
     "10 02 01 05 02 52 03 00 00 00 00 00 00 00 00 00 00 68 00 10 03 EA"},
    {"loop 4 not in use: bit 5 clear", "10 02 01 05 02 4E 04 10 03 7F",
     "10 02 01 05 02 52 04 00 00 00 00 00 00 00 00 00 00 00 00 10 03 83"},
    {"loop 5 does not exist", "10 02 01 05 02 4E 05 10 03 80", "10 02 01 05 02 50 02 10 03 7F"},
    {"silent controller 3: the gateway reports it", "10 02 01 03 04 4E 05 01 10 03 81",
     "10 02 01 00 00 50 01 03 1F 10 03 99"},
    {"absent controller 7: the gateway reports it", "10 02 01 07 01 4E 07 04 10 03 87",
     "10 02 01 00 00 50 01 07 1F 10 03 9D"},
    {"a request with a wrong checksum is not answered", "10 02 01 05 04 4E 05 03 10 03 86", ""},
    {"a probe with a wrong checksum is not answered", "10 02 04 10 03 2A", ""},
};

class Replies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(Replies, MatchTheLayout) {
    sim::Session session(simtest::WorkedScenario());
    EXPECT_EQ(Answer(session, GetParam().request), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(EachRequestKind, Replies, ::testing::ValuesIn(kReplies),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// The map word's bytes are doubled like any other data.
TEST(Identification, DoublesEachMapByteOf0x10) {
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0x0010, "10 02 04 10 10 00 10 03 49"},
        {0x1010, "10 02 04 10 10 10 10 10 03 69"},
        {0x0000, "10 02 04 00 00 10 03 29"},
    };
    for (const auto& [map, reply] : cases) {
        sim::Scenario s = simtest::WorkedScenario();
        s.map = map;
        sim::Session session(s);
        EXPECT_EQ(Answer(session, "10 02 04 10 03 29"), reply) << std::hex << map;
    }
}

// Writes and commands change what later reads show.
struct SequenceStep {
    const char* request;
    const char* reply;
};

void RunSequence(const std::vector<SequenceStep>& steps) {
    sim::Session session(simtest::WorkedScenario());
    for (const SequenceStep& s : steps) EXPECT_EQ(Answer(session, s.request), s.reply) << s.request;
}

TEST(Writes, AreAcknowledgedStoredAndReadBackAsWritten) {
    RunSequence({
        // A value whose request checksum is a lone 0x10.
        {"10 02 01 05 01 49 07 04 81 0F 10 03 10", "10 02 01 05 01 50 00 10 03 7C"},
        {"10 02 01 05 01 4E 07 04 10 03 85", "10 02 01 05 01 52 07 04 81 0F 51 10 03 6A"},
        // A lone 0x10 as the request's high value byte comes back doubled.
        {"10 02 01 05 01 49 07 04 A1 10 10 03 31", "10 02 01 05 01 50 00 10 03 7C"},
        {"10 02 01 05 01 4E 07 04 10 03 85", "10 02 01 05 01 52 07 04 A1 10 10 51 10 03 9B"},
        // The word 0x1101 is kept as it came.
        {"10 02 01 05 01 49 07 04 01 11 10 03 92", "10 02 01 05 01 50 00 10 03 7C"},
        {"10 02 01 05 01 4E 07 04 10 03 85", "10 02 01 05 01 52 07 04 01 11 51 10 03 EC"},
        // The setting of the same loop is untouched.
        {"10 02 01 05 01 4E 08 05 10 03 87", "10 02 01 05 01 52 08 05 01 10 10 51 10 03 FD"},
    });
}

TEST(LoopCommands, SwitchBit6OffAndTheNextStateReadShowsIt) {
    RunSequence({
        {"10 02 01 05 02 49 02 07 10 03 7F", "10 02 01 05 02 50 00 10 03 7D"},  // loop 2: 0x60 -> 0x20
        {"10 02 01 05 02 4E 02 10 03 7D",
         "10 02 01 05 02 52 02 01 10 10 03 04 05 06 07 08 09 10 10 20 00 10 03 0C"},
        {"10 02 01 05 02 49 03 07 10 03 80", "10 02 01 05 02 50 00 10 03 7D"},  // loop 3: 0x68 -> 0x28
        {"10 02 01 05 02 4E 03 10 03 7E",
         "10 02 01 05 02 52 03 00 00 00 00 00 00 00 00 00 00 28 00 10 03 AA"},
        // Already without bit 6: acknowledged, nothing changes.
        {"10 02 01 05 02 49 01 07 10 03 7E", "10 02 01 05 02 50 00 10 03 7D"},
        {"10 02 01 05 02 4E 01 10 03 7C",
         "10 02 01 05 02 52 01 00 00 00 00 00 00 00 00 00 00 20 00 10 03 A0"},
        // Refused: a loop not in use (code 3), a command other than 7 (code 1).
        {"10 02 01 05 02 49 04 07 10 03 81", "10 02 01 05 02 50 03 10 03 80"},
        {"10 02 01 05 02 49 02 05 10 03 7D", "10 02 01 05 02 50 01 10 03 7E"},
    });
}

TEST(SentValues, RecordWhatEachReplyCarriedInTheStationsTerms) {
    sim::Session session(simtest::WorkedScenario());
    for (const char* r : {"10 02 04 10 03 29", "10 02 01 05 04 4E 05 04 10 03 86", "10 02 01 05 04 4E 06 01 10 03 84",
                          "10 02 01 05 01 4E 0A 04 10 03 88", "10 02 01 05 01 4E 08 05 10 03 87",
                          "10 02 01 05 02 4E 03 10 03 7E", "10 02 01 05 02 4E 04 10 03 7F",
                          "10 02 01 05 04 4E 05 09 10 03 8B"})
        Answer(session, r);
    const sim::SentValues& sent = session.sent();
    EXPECT_EQ(sent.Of(sim::Field::NetworkMap, 0), std::set<int>{0x14});
    EXPECT_EQ(sent.Of(sim::Field::InputA, 4), std::set<int>{-16});
    EXPECT_EQ(sent.Of(sim::Field::InputB, 1), std::set<int>{1});
    EXPECT_EQ(sent.Of(sim::Field::Setpoint, 2), std::set<int>{-2048});
    EXPECT_EQ(sent.Of(sim::Field::Setting, 1), std::set<int>{1024});
    EXPECT_EQ(sent.Of(sim::Field::LoopState, 3), std::set<int>{32});
    EXPECT_EQ(sent.Of(sim::Field::LoopState, 4), std::set<int>{10});
    EXPECT_TRUE(sent.Of(sim::Field::InputA, 9).empty());  // refused: nothing sent
}

// Inputs move, so a running station shows change.
TEST(LiveInputs, FollowTheirShapeOverTime) {
    sim::InputSpec ramp;
    ramp.shape = sim::InputSpec::Shape::Ramp;
    ramp.from = 0;
    ramp.to = 8000;
    ramp.periodS = 10;
    sim::InputSpec sine;
    sine.shape = sim::InputSpec::Shape::Sine;
    sine.center = 4000;
    sine.amplitude = 1000;
    sine.periodS = 8;
    sim::InputSpec toggle = simtest::Discrete(1);
    toggle.toggleS = 5;
    const auto s = [](double seconds) { return static_cast<platform::Micros>(seconds * 1e6); };
    EXPECT_EQ(ramp.At(s(0)), 0);
    EXPECT_EQ(ramp.At(s(2.5)), 2000);
    EXPECT_EQ(ramp.At(s(12.5)), 2000);  // starts again each period
    EXPECT_EQ(sine.At(s(2)), 5000);
    EXPECT_EQ(sine.At(s(6)), 3000);
    EXPECT_EQ(toggle.At(s(4.9)), 1);
    EXPECT_EQ(toggle.At(s(5.1)), 0);
    EXPECT_EQ(toggle.At(s(10.1)), 1);

    // Through the network: the same channel read 20 s apart gives different words.
    sim::Session session(sim::DefaultScenario());
    session.network().timing().mode = sim::TimingMode::Instant;
    const std::string first = Answer(session, "10 02 01 05 04 4E 05 02 10 03 84", s(1));
    const std::string later = Answer(session, "10 02 01 05 04 4E 05 02 10 03 84", s(21));
    EXPECT_NE(first, later);
}

// What discovery asks of the default network gets sensible answers: controller 5 in service,
// 8 inputs in A, 8 in B (channel 9 refused), loops 1 to 3 in use in different modes.
TEST(DefaultScenario, AnswersDiscovery) {
    sim::Session session(sim::DefaultScenario());
    session.network().timing().mode = sim::TimingMode::Instant;
    EXPECT_EQ(Answer(session, "10 02 04 10 03 29"), "10 02 04 14 00 10 03 3D");
    const auto state = [&](int loop) {
        const auto l = static_cast<std::uint8_t>(loop);
        session.Receive(std::vector<std::uint8_t>{0x10, 0x02, 0x01, 0x05, 0x02, 0x4E, l, 0x10, 0x03,
                                                  static_cast<std::uint8_t>(0x7B + l)},
                        0, 0);
        return *session.sent().Of(sim::Field::LoopState, loop).begin();
    };
    EXPECT_EQ(state(1), 1);
    EXPECT_EQ(state(2), 2);
    EXPECT_EQ(state(3), 32);
    EXPECT_EQ(state(4), 10);
    EXPECT_EQ(Answer(session, "10 02 01 05 04 4E 05 08 10 03 8A").substr(0, 20), "10 02 01 05 04 52 05");
    EXPECT_EQ(Answer(session, "10 02 01 05 04 4E 06 08 10 03 8B").substr(30, 2), "01");  // discrete type
    EXPECT_EQ(Answer(session, "10 02 01 05 04 4E 06 09 10 03 8C"), "10 02 01 05 04 50 16 10 03 95");
    // Loops 1 to 4 of controller 5 are local or dispatcher-controlled in a mix.
    std::set<int> kinds;
    for (int ch = 1; ch <= 4; ++ch) {
        const std::uint8_t req[] = {0x10, 0x02, 0x01, 0x05, 0x04, 0x4E, 0x06, static_cast<std::uint8_t>(ch), 0x10, 0x03,
                                    static_cast<std::uint8_t>(0x83 + ch)};
        session.Receive(req, 0, 0);
        kinds.insert(*session.sent().Of(sim::Field::InputB, ch).begin());
    }
    EXPECT_EQ(kinds, (std::set<int>{0, 1}));
}

}  // namespace
