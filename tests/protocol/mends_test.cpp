// Replies that used to go wrong: bytes past the buffer, channel, group and loop bytes outside
// their ranges, doubled DLE bytes anywhere in a frame, and damaged replies, which are dropped
// like no reply.

#include "reply_case.h"

namespace {

using namespace protocol_test;

// Bounds: a frame that needs a byte past RxBuf is not taken, and nothing reads there.
const ReplyCase kBounds[] = {
    {"LoopStateEndingAtLastByte", Nastrojka,
     "01 02 03 04 05 06 07 08 10 02 01 05 02 52 03 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 5A",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxValue = 0x0160; pi.RxLamp = 1; pi.LoopState[3] = 2; }},
    // Its checksum would be byte 30.
    {"LoopStateCutByBufferEnd", Nastrojka,
     "01 02 03 04 05 06 07 08 09 10 02 01 05 02 52 03 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"LoopStateAtOffset10", Nastrojka,
     "01 02 03 04 05 06 07 08 09 0A 10 02 01 05 02 52 03 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
};

class Bounds : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(Bounds, NothingPastTheBuffer) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Mended, Bounds, ::testing::ValuesIn(kBounds), CaseName);

// Channel, group and loop bytes come from the line: outside their ranges they store nothing.
const ReplyCase kRanges[] = {
    {"GroupAChannel9", Sortirovka, "10 02 01 05 04 52 05 09 00 40 11 10 03 E0",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxBlock = 5; pi.RxIndex = 9; pi.RxValue = 0x4000; }},
    {"GroupAChannel0", Sortirovka, "10 02 01 05 04 52 05 00 00 40 11 10 03 D7",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxBlock = 5; pi.RxIndex = 0; pi.RxValue = 0x4000; }},
    {"GroupBChannel0Discrete", Sortirovka, "10 02 01 05 04 52 06 00 01 40 01 10 03 C9",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.RxBlock = 6; pi.RxIndex = 0; pi.RxValue = 0x4001; }},
    {"GroupBChannel12", Sortirovka, "10 02 01 05 04 52 06 0C 00 20 11 10 03 C4",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.RxBlock = 6; pi.RxIndex = 12; pi.RxValue = 0x2000; pi.InputBUpper[12] = 4096; pi.GroupBKind = 1;
         pi.RxLamp = 1;
     }},
    {"GroupBChannel15Discrete", Sortirovka, "10 02 01 05 04 52 06 0F 01 40 01 10 03 D8",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.RxBlock = 6; pi.RxIndex = 15; pi.RxValue = 0x4001; pi.InputBUpper[15] = 1; pi.GroupBKind = 0;
         pi.RxLamp = 1;
     }},
    {"GroupBChannel16", Sortirovka, "10 02 01 05 04 52 06 10 10 00 20 11 10 03 D8",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.StuffShift = 1; pi.RxBlock = 6; pi.RxIndex = 16; pi.RxValue = 0x2000; }},
    {"UnknownGroupCode", Sortirovka, "10 02 01 05 04 52 07 02 00 20 11 10 03 BB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.RxBlock = 7; pi.RxIndex = 2; pi.RxValue = 0x2000; }},
    {"LoopNumber5", Nastrojka, "10 02 01 05 02 52 05 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 5C",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"LoopNumber0", Nastrojka, "10 02 01 05 02 52 00 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 57",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    // A refusal that arrives after the count has reached zero.
    {"CountNeverBelowZero", Nastrojka, "10 02 01 05 04 50 16 10 03 95",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.CountA = 0; },
     [](TProcessImage& pi) { pi.CalcChecksum = 0x95; pi.RxChecksum = 0x95; }},
};

class Ranges : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(Ranges, OutOfRangeStoresNothing) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Mended, Ranges, ::testing::ValuesIn(kRanges), CaseName);

// Doubled DLE bytes undone frame by frame, wherever they stand.
const ReplyCase kDoubled[] = {
    {"DoubledLowByte", Sortirovka, "10 02 01 05 01 52 07 04 10 10 20 51 10 03 1A",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.StuffShift = 1; pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0x2010; pi.LoopSetpoint[1] = 2052;
         pi.RxLamp = 1;
     }},
    {"Word1010", Sortirovka, "10 02 01 05 01 52 07 04 10 10 10 10 51 10 03 1A",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.StuffShift = 2; pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0x1010; pi.LoopSetpoint[1] = 1028;
         pi.RxLamp = 1;
     }},
    {"DoubledLowByteOfInput", Sortirovka, "10 02 01 05 04 52 06 01 10 10 20 11 10 03 D9",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.StuffShift = 1; pi.RxBlock = 6; pi.RxIndex = 1; pi.RxValue = 0x2010; pi.InputB[1] = 4104;
         pi.GroupBKind = 1; pi.RxLamp = 1;
     }},
    // A broken frame with a doubled byte first, a sound one at 10: the second is read on its own.
    {"NoShiftCarriedToNextFrame", Sortirovka,
     "10 02 01 05 01 52 07 04 01 10 10 02 01 05 01 52 0A 04 01 20 51 10 03 FE",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.RxBlock = 10; pi.RxIndex = 4; pi.RxValue = 0x2001; pi.LoopSetpoint[2] = 2048; pi.RxLamp = 1;
     }},
    {"GatewayReportCountDoubled", Sortirovka, "10 02 01 00 00 50 10 10 05 2C 10 03 C7",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 2; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; ZeroRx28(pi); },
     {Box({"Шлюз выдает число ошибок = ", "16", " ошибка -  ", "2C", " . ", "5"}, "       Шлюз выдает ошибку")}},
    {"LoopStatePairAtFirstByte", Nastrojka, "10 02 01 05 02 52 01 10 10 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 D7",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.StuffShift = 1; pi.RxValue = 0x0160; pi.RxLamp = 1; pi.LoopState[1] = 2; }},
    // Pairs the fixed pair positions miss: the status was read from a data byte (mode 2).
    {"LoopStatePairsMissedByFixedPositions", Nastrojka,
     "10 02 01 05 02 52 01 03 20 10 10 20 03 68 A1 10 10 60 10 10 03 01 10 03 93",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.LoopState[1] = 1; },
     [](TProcessImage& pi) { pi.StuffShift = 3; pi.RxValue = 0x0103; pi.RxLamp = 1; pi.LoopState[1] = 10; }},
    {"LoopStateStatusHighByteDoubled", Nastrojka,
     "10 02 01 05 02 52 01 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 68 10 10 10 03 7F",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.StuffShift = 1; pi.RxValue = 0x1068; pi.RxLamp = 1; pi.LoopState[1] = 32; }},
};

class Doubled : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(Doubled, ReadFromRealPositions) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Mended, Doubled, ::testing::ValuesIn(kDoubled), CaseName);

// Data, identification and loop-state replies are taken only with DLE ETX where the frame ends
// and a matching checksum; otherwise they are dropped like no reply.
const ReplyCase kChecked[] = {
    {"ValueWithFlippedBit", Sortirovka, "10 02 01 05 01 52 07 04 01 21 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"NodeWithFlippedBit", Sortirovka, "10 02 01 04 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"InputWithFlippedBit", Sortirovka, "10 02 01 05 04 52 06 02 01 C1 01 10 03 4B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.InputB[2] = 1; }},
    {"ValueReplyWithoutDleEtx", Sortirovka, "10 02 01 05 01 52 07 04 01 20 51",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"DleEtxNotWhereFrameEnds", Sortirovka, "10 02 01 05 01 52 07 04 01 20 51 00 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    // The doubled byte counts twice in the sum: a sum over the undone bytes is wrong.
    {"ChecksumOverUndoneBytes", Sortirovka, "10 02 01 05 01 52 07 04 01 10 10 51 10 03 EB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"IdentificationWithWrongChecksum", Nastrojka, "10 02 04 10 10 00 10 03 48",
     [](TProcessImage& pi) { pi.BusyMode = 10; pi.NoReplyCount = 3; pi.StuffShift = 1; },
     [](TProcessImage& pi) { pi.StuffShift = 0; }},
    {"IdentificationWithFlippedMapBit", Nastrojka, "10 02 04 04 03 10 03 2F",
     [](TProcessImage& pi) { pi.BusyMode = 10; pi.NoReplyCount = 3; }},
    {"IdentificationDleEtxMisplaced", Nastrojka, "10 02 04 04 02 00 10 03 2F",
     [](TProcessImage& pi) { pi.BusyMode = 10; pi.NoReplyCount = 3; }, nullptr,
     {Box({"КТ отсутствует"}, " При определении № контролл.")}},
    {"LoopStateWithFlippedStatusBit", Nastrojka,
     "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 68 01 10 03 59",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.LoopState[2] = 2; }},
    {"LoopStateWithStatusLetterDamaged", Nastrojka,
     "10 02 01 05 02 50 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 58",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.LoopState[2] = 1; }},
    {"LoopStateWithoutDleEtx", Nastrojka, "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 00 03 59",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.LoopState[2] = 1; }},
};

class Checked : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(Checked, DamagedReplyDroppedLikeNoReply) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Mended, Checked, ::testing::ValuesIn(kChecked), CaseName);

// A reply cut short by the end of the read: the zeros the caller cleared after it are no part of
// it. Read as fields, they would make a gateway report of error code 0 (the controller does not
// answer) or a loop command acknowledged with code 0.
const ReplyCase kCutShort[] = {
    {"GatewayReportCutBeforeItsCode", Sortirovka, "10 02 01 00 00 50 01 05",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.RxCount = 8; }},
    {"GatewayReportCutBeforeItsNode", Nastrojka, "10 02 01 00 00 50 01",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.CommandAccepted = 1; pi.RxCount = 7; }},
    {"LoopCommandAckCutBeforeItsCode", Nastrojka, "10 02 01 05 02 50",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.RxCount = 6; }},
    {"ControllerRefusalCutBeforeItsCode", Sortirovka, "10 02 01 05 04 50",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.RxCount = 6; }},
};

class CutShort : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(CutShort, ClearedBytesAreNoFields) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Mended, CutShort, ::testing::ValuesIn(kCutShort), CaseName);

}  // namespace
