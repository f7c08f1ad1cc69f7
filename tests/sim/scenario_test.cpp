// Scenario files: the shipped ones load, the default file is the built-in network, and a bad
// file is refused with the field and the reason.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/scenario.h"

namespace {

TEST(ScenarioFiles, TheDefaultFileIsTheBuiltInNetwork) {
    EXPECT_EQ(sim::LoadScenario(SIM_SCENARIO_DIR "/default.json"), sim::DefaultScenario());
}

TEST(ScenarioFiles, EveryShippedExampleLoadsAndHasAFault) {
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SIM_SCENARIO_DIR)) {
        if (entry.path().filename().string().rfind("fault-", 0) != 0) continue;
        ++examples;
        sim::Scenario s;
        EXPECT_NO_THROW(s = sim::LoadScenario(entry.path().string())) << entry.path();
        EXPECT_FALSE(s.faults.empty()) << entry.path();
    }
    EXPECT_GT(examples, 0);
}

TEST(ScenarioFiles, ReadEveryField) {
    const sim::Scenario s = sim::ParseScenario(R"({
        "seed": 42, "map": "0x0204",
        "timing": {"mode": "instant", "baud": 9600, "latency_ms": [10, 20.5]},
        "controllers": [{"node": 10, "silent": true,
            "inputs_a": [{"type": "analog", "shape": "ramp", "from": -100, "to": 100, "period_s": 2},
                         {"type": "analog", "shape": "sine", "center": 0, "amplitude": 50, "period_s": 3, "phase_deg": 45}],
            "inputs_b": [{"type": "discrete", "value": 1, "toggle_s": 1.5}],
            "loops": [{"loop": 2, "status": 72, "setpoint": -5, "setting": 7, "state_bytes": [1,2,3,4,5,6,7,8,9,"0x10"]}]}],
        "faults": [{"fault": "split", "on": "loop_state", "node": 10, "every": 2, "at": 4, "gap_ms": 6.5},
                   {"fault": "gateway_error", "probability": 0.25, "code": 44, "about": 0, "count": 2},
                   {"fault": "no_ack", "tries": 5}]})");
    EXPECT_EQ(s.seed, 42u);
    EXPECT_EQ(s.MapWord(), 0x0204);
    EXPECT_EQ(s.timing.mode, sim::TimingMode::Instant);
    EXPECT_EQ(s.timing.baud, 9600);
    EXPECT_EQ(s.timing.latencyMax, 20'500);
    const sim::ControllerSpec& c = s.controllers.at(0);
    EXPECT_TRUE(c.silent);
    EXPECT_EQ(c.inputsA.at(0).from, -100);
    EXPECT_EQ(c.inputsA.at(1).phaseDeg, 45);
    EXPECT_EQ(c.inputsB.at(0).toggleS, 1.5);
    EXPECT_EQ(c.loops[1].status, 72);
    EXPECT_EQ(c.loops[1].setpoint, -5);
    EXPECT_EQ(c.loops[1].opaque[9], 0x10);
    EXPECT_EQ(c.loops[0].status, 0);  // not listed: not in use
    EXPECT_EQ(s.faults.at(0).on, sim::RequestKind::LoopState);
    EXPECT_EQ(s.faults.at(0).gap, 6'500);
    EXPECT_EQ(s.faults.at(1).probability, 0.25);
    EXPECT_EQ(s.faults.at(1).count, 2);
    EXPECT_EQ(s.faults.at(2).tries, 5);
}

struct BadCase {
    const char* json;
    const char* message;  // what the error must say, after "test: "
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.message; }


const BadCase kBad[] = {
    {R"({"controllers": [}")", "not valid JSON"},
    {R"([1, 2])", "top level: must be an object"},
    {R"({"controlers": []})", "controlers: unknown field"},
    {R"({"controllers": [{"node": 15}]})", "controllers[0].node: 15 is out of range 1..14"},
    {R"({"controllers": [{"node": 5}, {"node": 5}]})", "controllers[1].node: node 5 appears twice"},
    {R"({"controllers": [{}]})", "controllers[0].node: missing"},
    {R"({"controllers": [{"node": 5, "inputs_a": [{"type": "analog", "value": 1}, {"type": "analog", "value": 1},
        {"type": "analog", "value": 1}, {"type": "analog", "value": 1}, {"type": "analog", "value": 1},
        {"type": "analog", "value": 1}, {"type": "analog", "value": 1}, {"type": "analog", "value": 1},
        {"type": "analog", "value": 1}]}]})",
     "controllers[0].inputs_a: 9 inputs, at most 8"},
    {R"({"controllers": [{"node": 5, "inputs_b": [{"type": "digital"}]}]})",
     "controllers[0].inputs_b[0].type: 'digital' is not one of analog, discrete"},
    {R"({"controllers": [{"node": 5, "inputs_a": [{"type": "analog", "value": 20000}]}]})",
     "controllers[0].inputs_a[0].value: 20000 is out of range -16383..16383"},
    {R"({"controllers": [{"node": 5, "inputs_a": [{"type": "analog", "shape": "sine", "amplitude": 10}]}]})",
     "controllers[0].inputs_a[0].period_s: missing for a sine input"},
    {R"({"controllers": [{"node": 5, "inputs_a": [{"type": "analog", "value": 1, "amplitude": 10}]}]})",
     "controllers[0].inputs_a[0].amplitude: unknown field, or not used here"},
    {R"({"controllers": [{"node": 5, "inputs_b": [{"type": "discrete", "value": 2}]}]})",
     "controllers[0].inputs_b[0].value: 2 is out of range 0..1"},
    {R"({"controllers": [{"node": 5, "loops": [{"loop": 1, "mode": 3}]}]})",
     "controllers[0].loops[0].mode: 3 is not one of 0 (not in use), 1, 2, 31, 32"},
    {R"({"controllers": [{"node": 5, "loops": [{"loop": 1, "mode": 1, "status": 32}]}]})",
     "controllers[0].loops[0].mode: give either mode or status, not both"},
    {R"({"controllers": [{"node": 5, "loops": [{"loop": 1, "mode": 1, "setpoint": 9000}]}]})",
     "controllers[0].loops[0].setpoint: 9000 is out of range -8191..8191"},
    {R"({"controllers": [{"node": 5, "loops": [{"loop": 1, "mode": 1, "state_bytes": [1, 2]}]}]})",
     "controllers[0].loops[0].state_bytes: must hold exactly 10 bytes"},
    {R"({"timing": {"mode": "fast"}})", "timing.mode: 'fast' is not one of instant, line"},
    {R"({"timing": {"latency_ms": [200, 80]}})", "timing.latency_ms: the maximum is below the minimum"},
    {R"({"map": "0x1G"})", "map: '0x1G' is not a whole number"},
    {R"({"faults": [{"fault": "sylence"}]})", "faults[0].fault: 'sylence' is not one of silence"},
    {R"({"faults": [{"fault": "silence", "on": "reads"}]})", "faults[0].on: 'reads' is not one of any, probe"},
    {R"({"faults": [{"fault": "silence", "nth": 2, "every": 3}]})",
     "faults[0]: give at most one of nth, every and probability"},
    {R"({"faults": [{"fault": "silence", "probability": 1.5}]})", "faults[0].probability: must lie between 0 and 1"},
    {R"({"faults": [{"fault": "silence", "delay_ms": 10}]})", "faults[0].delay_ms: unknown field, or not used here"},
    {R"({"faults": [{"fault": "bit_flip", "bit": 8}]})", "faults[0].bit: 8 is out of range -1..7"},
    {R"({"faults": [{"fault": "noise", "bytes": [1, 300]}]})", "faults[0].bytes[1]: must be a byte, 0..255"},
    {R"({"faults": [{"fault": "no_ack", "on": "param_read"}]})", "faults[0].on: no_ack applies to param_write only"},
    {R"({"faults": [{"fault": "no_ack", "tries": 0}]})", "faults[0].tries: 0 is out of range 1..1000000"},
};

class BadScenarios : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadScenarios, NameTheFieldAndWhy) {
    try {
        sim::ParseScenario(GetParam().json, "test");
        FAIL() << "accepted";
    } catch (const sim::ScenarioError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(std::string("test: ") + GetParam().message, 0), 0u) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Each, BadScenarios, ::testing::ValuesIn(kBad),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ScenarioFiles, AMissingFileIsNamed) {
    EXPECT_THROW(
        {
            try {
                sim::LoadScenario("/nonexistent/net.json");
            } catch (const sim::ScenarioError& e) {
                EXPECT_STREQ(e.what(), "/nonexistent/net.json: cannot be read");
                throw;
            }
        },
        sim::ScenarioError);
}

}  // namespace
