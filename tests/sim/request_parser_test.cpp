// Cutting the station's byte stream into requests: requests are not stuffed, so a lone 0x10
// may be a value byte or a checksum; garbage is skipped until a frame lines up.

#include <gtest/gtest.h>

#include "sim/request_parser.h"
#include "sim_test_support.h"

namespace {

using simtest::FromHex;

std::string Summary(const sim::Request& r) {
    std::string s = sim::KindName(r.kind);
    s += " node " + std::to_string(r.node);
    switch (r.kind) {
        case sim::RequestKind::Probe: s = "probe"; break;
        case sim::RequestKind::ReadInput: s += " group " + std::to_string(r.group) + " channel " + std::to_string(r.channel); break;
        case sim::RequestKind::ReadParam: s += " " + std::to_string(r.block) + "/" + std::to_string(r.index); break;
        case sim::RequestKind::WriteParam:
            s += " " + std::to_string(r.block) + "/" + std::to_string(r.index) + " word " + std::to_string(r.word);
            break;
        case sim::RequestKind::LoopState: s += " loop " + std::to_string(r.loop); break;
        case sim::RequestKind::LoopCommand: s += " loop " + std::to_string(r.loop) + " code " + std::to_string(r.command); break;
    }
    if (!r.checksumOk) s += " BAD";
    return s;
}

struct StreamCase {
    const char* what;
    std::vector<const char*> chunks;  // fed one after the other
    std::vector<std::string> requests;
    std::size_t skipped;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.what; }

const StreamCase kStreams[] = {
    {"every request kind, back to back",
     {"10 02 04 10 03 29 10 02 01 05 04 4E 06 02 10 03 85 10 02 01 05 01 4E 07 04 10 03 85 "
      "10 02 01 05 02 4E 03 10 03 7E 10 02 01 05 01 49 07 04 01 20 10 03 A1 10 02 01 05 02 49 03 07 10 03 80"},
     {"probe", "input_read node 5 group 6 channel 2", "param_read node 5 7/4", "loop_state node 5 loop 3",
      "param_write node 5 7/4 word 8193", "loop_command node 5 loop 3 code 7"},
     0},
    {"a lone 0x10 as high value byte and as checksum, then a probe",
     {"10 02 01 05 01 49 07 04 A1 10 10 03 31 10 02 01 05 01 49 07 04 81 0F 10 03 10 10 02 04 10 03 29"},
     {"param_write node 5 7/4 word 4257", "param_write node 5 7/4 word 3969", "probe"},
     0},
    {"a request in pieces, split inside its DLE pairs",
     {"10", "02 01 05 02 4E 03 10", "03", "7E"},
     {"loop_state node 5 loop 3"},
     0},
    {"garbage before and between requests is skipped",
     {"00 FF 10 10 55 10 03 10 02 04 10 03 29 AA 10 02 01 05 02 4E 03 10 03 7E"},
     {"probe", "loop_state node 5 loop 3"},
     8},
    {"an unknown function or letter is garbage",
     {"10 02 01 05 03 4E 10 02 01 05 04 49 10 02 04 10 03 29"},
     {"probe"},
     12},
    {"a frame without DLE ETX where its length puts it: the request inside it is found",
     {"10 02 01 05 04 4E 10 02 04 10 03 29 00 00 00"},
     {"probe"},
     9},
    {"a wrong checksum is still a request, marked",
     {"10 02 01 05 04 4E 05 03 10 03 86 10 02 04 10 03 29"},
     {"input_read node 5 group 5 channel 3 BAD", "probe"},
     0},
};

class Streams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(Streams, AreCutIntoRequests) {
    sim::RequestParser parser;
    std::vector<std::string> got;
    for (const char* chunk : GetParam().chunks)
        for (const sim::Request& r : parser.Feed(FromHex(chunk), 0, 0)) got.push_back(Summary(r));
    EXPECT_EQ(got, GetParam().requests);
    EXPECT_EQ(parser.Skipped(), GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(Each, Streams, ::testing::ValuesIn(kStreams),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(RequestTimes, RunFromTheFirstByteToTheLastOneComplete) {
    sim::RequestParser parser;
    // Garbage first: the request's time starts at its own first byte.
    const auto got = parser.Feed(FromHex("00 00 10 02 04 10 03 29"), 1000 + 2500, 2500);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].start, 1000 + 2 * 2500);
    EXPECT_EQ(got[0].end, 1000 + 8 * 2500);
}

}  // namespace
