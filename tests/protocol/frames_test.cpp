#include "protocol/frames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support.h"

namespace {

using namespace protocol_test;
using ::testing::IsEmpty;

struct RequestCase {
    const char* name;
    int controller;
    std::span<const std::uint8_t> (*build)(TProcessImage&);
    // The template the frame is patched into, or null when the sender gets a copy.
    std::uint8_t* (*patched)(TProcessImage&);
    const char* frame;
    std::int32_t writeValue;  // WriteValue after a write frame, else -1
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

std::uint8_t* ReadInput(TProcessImage& pi) { return pi.ReqReadInput; }
std::uint8_t* ReadParam(TProcessImage& pi) { return pi.ReqReadParam; }
std::uint8_t* LoopState(TProcessImage& pi) { return pi.ReqLoopState; }
std::uint8_t* WriteParam(TProcessImage& pi) { return pi.ReqWriteParam; }

// A loop command is a copy; hold it for the span the row hands back.
std::array<std::uint8_t, 11> loopCommand;

const RequestCase kRequests[] = {
    {"LoopState3Node5", 5, [](TProcessImage& pi) { return protocol::BuildLoopState(pi, 3); }, LoopState,
     "10 02 01 05 02 4E 03 10 03 7E", -1},
    {"ReadInputGroupB2Node1", 1, [](TProcessImage& pi) { return protocol::BuildReadInput(pi, 6, 2); }, ReadInput,
     "10 02 01 01 04 4E 06 02 10 03 81", -1},
    {"ReadInputGroupA3Node5", 5, [](TProcessImage& pi) { return protocol::BuildReadInput(pi, 5, 3); }, ReadInput,
     "10 02 01 05 04 4E 05 03 10 03 85", -1},
    {"ReadInputWithoutController", 0, [](TProcessImage& pi) { return protocol::BuildReadInput(pi, 5, 1); },
     ReadInput, "10 02 01 00 04 4E 05 01 10 03 7E", -1},
    {"ReadBack", 5, [](TProcessImage& pi) { return protocol::BuildReadParam(pi, 7, 4); }, ReadParam,
     "10 02 01 05 01 4E 07 04 10 03 85", -1},
    {"Write50", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 50, 0); }, WriteParam,
     "10 02 01 05 01 49 07 04 01 20 10 03 A1", 0x2001},
    {"Write50Bias3", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 50, 3); }, WriteParam,
     "10 02 01 05 01 49 07 04 0D 20 10 03 AD", 0x200D},
    {"Write25", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 25, 0); }, WriteParam,
     "10 02 01 05 01 49 07 04 01 11 10 03 92", 0x1001},
    {"Write25TakesNoBias", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 25, 9); },
     WriteParam, "10 02 01 05 01 49 07 04 01 11 10 03 92", 0x1001},
    {"Write26HighByteNotDoubled", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 26, 0); },
     WriteParam, "10 02 01 05 01 49 07 04 A1 10 10 03 31", 0x10A1},
    {"Write26BiasedTo1088", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 26, 24); },
     WriteParam, "10 02 01 05 01 49 07 04 01 11 10 03 92", 0x1101},
    {"Write98", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 98, 0); }, WriteParam,
     "10 02 01 05 01 49 07 04 B9 3E 10 03 77", 0x3EB9},
    {"WriteSetting1", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 8, 5, 1, 0); }, WriteParam,
     "10 02 01 05 01 49 08 05 A1 00 10 03 23", 0x00A1},
    {"WriteSetting20Loop4", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 18, 5, 20, 0); },
     WriteParam, "10 02 01 05 01 49 12 05 CD 0C 10 03 65", 0x0CCD},
    {"ChecksumOf0x10SentOnce", 5, [](TProcessImage& pi) { return protocol::BuildWriteParam(pi, 7, 4, 18, 0); },
     WriteParam, "10 02 01 05 01 49 07 04 85 0B 10 03 10", 0x0B85},
    {"LoopCommand3Node5", 5,
     [](TProcessImage& pi) {
         loopCommand = protocol::BuildLoopCommand(pi, 3);
         return std::span<const std::uint8_t>(loopCommand);
     },
     nullptr, "10 02 01 05 02 49 03 07 10 03 80", -1},
    {"LoopCommand1Node14", 14,
     [](TProcessImage& pi) {
         loopCommand = protocol::BuildLoopCommand(pi, 1);
         return std::span<const std::uint8_t>(loopCommand);
     },
     nullptr, "10 02 01 0E 02 49 01 07 10 03 87", -1},
};

class RequestFrames : public ::testing::TestWithParam<RequestCase> {};

// The frame handed back is the expected one; an in-place frame is the template itself, which
// keeps it; the checksum was accumulated in SumCell; nothing else in the image moves (the loop
// command templates in particular stay as initialised).
TEST_P(RequestFrames, BuildsTheFrameAndTouchesOnlyItsTemplate) {
    const RequestCase& c = GetParam();
    TProcessImage before;
    before.ControllerNo = c.controller;
    before.SumCell = 0x5A;
    TProcessImage after = before;
    const std::span<const std::uint8_t> frame = c.build(after);

    const std::vector<std::uint8_t> want = Hex(c.frame);
    EXPECT_EQ(ToHex(frame.data(), frame.size()), ToHex(want.data(), want.size()));

    TProcessImage expected = before;
    if (c.patched) {
        EXPECT_EQ(frame.data(), c.patched(after)) << "not patched in place";
        std::copy(want.begin(), want.end(), c.patched(expected));
    }
    expected.SumCell = want.back();
    if (c.writeValue >= 0) expected.WriteValue = c.writeValue;
    EXPECT_THAT(Differences(expected, after), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Worked, RequestFrames, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RequestFrames, ProbeIsSentAsStored) {
    TProcessImage before;
    before.ControllerNo = 5;
    TProcessImage after = before;
    const std::span<const std::uint8_t> frame = protocol::GatewayProbe(after);
    EXPECT_EQ(ToHex(frame.data(), frame.size()), "10 02 04 10 03 29");
    EXPECT_THAT(Differences(before, after), IsEmpty());
}

// The polling sends ReqReadInput again with the group and channel it last held.
TEST(RequestFrames, TemplatesKeepTheirLastPatch) {
    TProcessImage pi;
    pi.ControllerNo = 5;
    protocol::BuildReadInput(pi, 6, 12);
    protocol::BuildReadParam(pi, 17, 4);
    protocol::BuildLoopState(pi, 4);
    pi.ControllerNo = 7;
    protocol::BuildWriteParam(pi, 11, 5, 10, 0);
    EXPECT_EQ(ToHex(pi.ReqReadInput, 11), "10 02 01 05 04 4E 06 0C 10 03 8F");
    EXPECT_EQ(ToHex(pi.ReqReadParam, 11), "10 02 01 05 01 4E 11 04 10 03 8F");
    EXPECT_EQ(ToHex(pi.ReqLoopState, 10), "10 02 01 05 02 4E 04 10 03 7F");
}

TEST(LoopParameters, BlockAndIndexOfEachLoop) {
    TProcessImage pi;
    struct Row {
        int block, index;
        std::int32_t* field;
    } rows[] = {
        {7, 4, &pi.LoopSetpoint[1]},  {8, 5, &pi.LoopUstavka[1]},  {10, 4, &pi.LoopSetpoint[2]},
        {11, 5, &pi.LoopUstavka[2]},  {13, 4, &pi.LoopSetpoint[3]}, {14, 5, &pi.LoopUstavka[3]},
        {17, 4, &pi.LoopSetpoint[4]}, {18, 5, &pi.LoopUstavka[4]},
    };
    for (const Row& r : rows) EXPECT_EQ(protocol::ParameterSlot(pi, r.block, r.index), r.field) << r.block;
    for (auto [block, index] : {std::pair{16, 4}, {17, 5}, {9, 4}, {7, 5}, {0, 0}})
        EXPECT_EQ(protocol::ParameterSlot(pi, block, index), nullptr) << block << "/" << index;
}

}  // namespace
