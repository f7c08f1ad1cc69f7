// Every reply worked through for the two decoders, with the fields it changes and the windows
// it asks for.

#include "reply_case.h"

namespace {

using namespace protocol_test;

constexpr const char* kGatewayCaption = "       Шлюз выдает ошибку";
constexpr const char* kControllerCaption = "Контроллер выдает ошибку";

// Replies to value reads: parameters, inputs, the gateway's report, a controller's refusal.
const ReplyCase kValueReplies[] = {
    {"SetpointOfLoop1", Sortirovka, "10 02 01 05 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) {
         pi.NoReplyCount = 0; pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0x2001;
         pi.LoopSetpoint[1] = 2048; pi.RxLamp = 1;
     }},
    {"NegativeSetpoint", Sortirovka, "10 02 01 05 01 52 07 04 01 A0 51 10 03 7B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.RxLamp = 1; },
     [](TProcessImage& pi) {
         pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0x2001; pi.LoopSetpoint[1] = -2048; pi.RxLamp = 0;
     }},
    {"DoubledHighByte", Sortirovka, "10 02 01 05 01 52 07 04 01 10 10 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.StuffShift = 1; pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0x1001; pi.LoopSetpoint[1] = 1024;
         pi.RxLamp = 1;
     }},
    {"SettingOfLoop4LowerCaseType", Sortirovka, "10 02 01 05 01 52 12 05 CD 0C 71 10 03 DF",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.RxBlock = 18; pi.RxIndex = 5; pi.RxValue = 0x0CCD; pi.LoopUstavka[4] = 819; pi.RxLamp = 1;
     }},
    {"UntabledParameterOnlyRxValue", Sortirovka, "10 02 01 05 01 52 09 04 01 20 51 10 03 FD",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 2; },
     [](TProcessImage& pi) {
         pi.NoReplyCount = 0; pi.RxBlock = 9; pi.RxIndex = 4; pi.RxValue = 0x2001; pi.RxLamp = 1;
     }},
    {"ParameterOfOtherTypeStoresNothing", Sortirovka, "10 02 01 05 01 52 07 04 01 A0 11 10 03 3B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 2; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0xA001; }},
    {"DataReplyNodeBecomesController", Sortirovka, "10 02 01 07 01 52 0A 04 01 20 51 10 03 00",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.ControllerNo = 7; pi.RxBlock = 10; pi.RxIndex = 4; pi.RxValue = 0x2001; pi.LoopSetpoint[2] = 2048;
         pi.RxLamp = 1;
     }},
    {"GroupAAnalogLampUnchanged", Sortirovka, "10 02 01 05 04 52 05 03 00 40 11 10 03 DA",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 1; pi.InputA[3] = 100; pi.RxLamp = 1; },
     [](TProcessImage& pi) {
         pi.NoReplyCount = 0; pi.RxBlock = 5; pi.RxIndex = 3; pi.RxValue = 0x4000; pi.InputA[3] = 8192;
     }},
    {"GroupADiscreteStoresNothing", Sortirovka, "10 02 01 05 04 52 05 03 01 40 01 10 03 CB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 1; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxBlock = 5; pi.RxIndex = 3; pi.RxValue = 0x4001; }},
    {"GroupBDiscreteOff", Sortirovka, "10 02 01 05 04 52 06 02 01 C0 01 10 03 4B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.InputB[2] = 1; },
     [](TProcessImage& pi) {
         pi.RxBlock = 6; pi.RxIndex = 2; pi.RxValue = 0xC001; pi.InputB[2] = 0; pi.GroupBKind = 0; pi.RxLamp = 1;
     }},
    {"GroupBDiscreteOn", Sortirovka, "10 02 01 05 04 52 06 02 01 40 01 10 03 CB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.RxBlock = 6; pi.RxIndex = 2; pi.RxValue = 0x4001; pi.InputB[2] = 1; pi.GroupBKind = 0; pi.RxLamp = 1;
     }},
    {"GroupBDiscreteOtherWordKeepsValue", Sortirovka, "10 02 01 05 04 52 06 02 34 12 01 10 03 D0",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.InputB[2] = 1; pi.GroupBKind = 1; },
     [](TProcessImage& pi) {
         pi.RxBlock = 6; pi.RxIndex = 2; pi.RxValue = 0x1234; pi.GroupBKind = 0; pi.RxLamp = 1;
     }},
    {"GroupBAnalogNegative", Sortirovka, "10 02 01 05 04 52 06 04 20 80 11 10 03 3C",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) {
         pi.RxBlock = 6; pi.RxIndex = 4; pi.RxValue = 0x20; pi.InputB[4] = -16; pi.GroupBKind = 1; pi.RxLamp = 1;
     }},
    {"GatewayReportAboutController", Sortirovka, "10 02 01 00 00 50 01 05 2C 10 03 A8",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 4; pi.RxBuf[28] = 0x55; pi.RxBuf[29] = 0x66; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; ZeroRx28(pi); },
     {Box({"Шлюз выдает число ошибок = ", "1", " ошибка -  ", "2C", " . ", "5"}, kGatewayCaption)}},
    {"GatewayReportCodeInHex", Sortirovka, "10 02 01 00 00 50 03 05 0A 10 03 88",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { ZeroRx28(pi); },
     {Box({"Шлюз выдает число ошибок = ", "3", " ошибка -  ", "0A", " . ", "5"}, kGatewayCaption)}},
    {"ControllerSilentShowsNoAnswerWindow", Sortirovka, "10 02 01 00 00 50 01 05 1F 10 03 9B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 4; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.LinkWindowArmed = 0; },
     {NoAnswerWindow()}},
    {"ControllerSilentCode0", Sortirovka, "10 02 01 00 00 50 01 05 00 10 03 7C",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.LinkWindowArmed = 0; },
     {NoAnswerWindow()}},
    {"ControllerSilentWindowNotRearmed", Sortirovka, "10 02 01 00 00 50 01 05 1F 10 03 9B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 4; pi.LinkWindowArmed = 0; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; }},
    {"GatewayReportAboutOtherNode", Sortirovka, "10 02 01 00 00 50 01 03 2C 10 03 A6",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 4; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; ZeroRx28(pi); }},
    {"ControllerRefusesInput", Sortirovka, "10 02 01 05 04 50 16 10 03 95",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 4; pi.RxBuf[29] = 0x77; },
     [](TProcessImage& pi) { ZeroRx28(pi); },
     {Box({"Контроллер №  ", "5", "  выдает ошибку c кодом № ", "22"}, kControllerCaption)}},
    {"RefusalFromAnyNode", Sortirovka, "10 02 01 03 04 50 05 10 03 82",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { ZeroRx28(pi); },
     {Box({"Контроллер №  ", "3", "  выдает ошибку c кодом № ", "5"}, kControllerCaption)}},
    {"InputStatusCode0Ignored", Sortirovka, "10 02 01 05 04 50 00 10 03 7F"},
    {"WriteAcknowledgementIgnored", Sortirovka, "10 02 01 05 01 50 00 10 03 7C",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; }},
    {"FrameAtOffset10", Sortirovka, "01 FF 03 20 7E 00 10 03 55 AA 10 02 01 05 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) {
         pi.NoReplyCount = 0; pi.RxBlock = 7; pi.RxIndex = 4; pi.RxValue = 0x2001; pi.LoopSetpoint[1] = 2048;
         pi.RxLamp = 1;
     }},
    {"FrameAtOffset11NotSeen", Sortirovka,
     "01 FF 03 20 7E 00 10 03 55 AA 33 10 02 01 05 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"NoReply", Sortirovka, "", [](TProcessImage& pi) { pi.StuffShift = 1; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.StuffShift = 0; }},
};

class ValueReplies : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(ValueReplies, DecodeAsWorked) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Worked, ValueReplies, ::testing::ValuesIn(kValueReplies), CaseName);

constexpr const char* kMapCaption = "Нажмите ОК и расслабтесь";
constexpr const char* kMapText = "Считывается информация с контроллера. Код № = ";

// Identification, loop states, acknowledgements and the refusals that count inputs.
const ReplyCase kStatusReplies[] = {
    {"IdentificationAtStartUp", Nastrojka, "10 02 04 10 10 00 10 03 49",
     [](TProcessImage& pi) { pi.BusyMode = 10; pi.NoReplyCount = 2; },
     [](TProcessImage& pi) {
         pi.StuffShift = 1; pi.RxValue = 16; pi.NoReplyCount = 0; pi.NetMapLo = 0x10; pi.NetMapHi = 0;
         pi.NetNode[5] = 1; pi.ControllerNo = 5;
     },
     {Box({kMapText, "16"}, kMapCaption), Lab1("5")}},
    {"IdentificationRewritesAllFlags", Nastrojka, "10 02 04 04 02 10 03 2F",
     [](TProcessImage& pi) { pi.BusyMode = 10; pi.NetNode[1] = 1; pi.NetNode[14] = 1; pi.NetNode[3] = 1; },
     [](TProcessImage& pi) {
         pi.RxValue = 0x0204; pi.NetMapLo = 0x04; pi.NetMapHi = 0x02;
         pi.NetNode[1] = 0; pi.NetNode[14] = 0; pi.NetNode[3] = 1; pi.NetNode[10] = 1; pi.ControllerNo = 10;
     },
     {Box({kMapText, "516"}, kMapCaption), Lab1("10")}},
    {"IdentificationOnlyIgnoredBits", Nastrojka, "10 02 04 00 C0 10 03 E9",
     [](TProcessImage& pi) { pi.BusyMode = 10; pi.NoReplyCount = 2; },
     [](TProcessImage& pi) { pi.RxValue = 49152; pi.NoReplyCount = 0; pi.NetMapHi = 0xC0; },
     {Box({kMapText, "49152"}, kMapCaption), Lab1("0")}},
    {"IdentificationBothBytesDoubled", Nastrojka, "10 02 04 10 10 10 10 10 03 69", nullptr,
     [](TProcessImage& pi) {
         pi.StuffShift = 2; pi.RxValue = 0x1010; pi.NetMapLo = 0x10; pi.NetMapHi = 0x10;
         pi.NetNode[5] = 1; pi.NetNode[13] = 1; pi.ControllerNo = 13;
     },
     {Box({kMapText, "4112"}, kMapCaption), Lab1("13")}},
    {"IdentificationHighByteDoubled", Nastrojka, "10 02 04 01 10 10 10 03 4A", nullptr,
     [](TProcessImage& pi) {
         pi.StuffShift = 1; pi.RxValue = 0x1001; pi.NetMapLo = 0x01; pi.NetMapHi = 0x10;
         pi.NetNode[1] = 1; pi.NetNode[13] = 1; pi.ControllerNo = 13;
     },
     {Box({kMapText, "4097"}, kMapCaption), Lab1("13")}},
    {"SecondIdentificationLeavesTheMap", Nastrojka, "10 02 04 04 02 10 03 2F",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NetNode[5] = 1; pi.NetMapLo = 0x10; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.RxValue = 0x0204; pi.NoReplyCount = 0; }},
    {"MapWordZeroClearsFlags", Nastrojka, "10 02 04 00 00 10 03 29",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NetNode[5] = 1; pi.NetMapLo = 0x10; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.RxValue = 0; pi.NetNode[5] = 0; pi.NetMapLo = 0; },
     {Lab1("5")}},
    {"IdentificationWithoutDleEtx", Nastrojka, "10 02 04 05", [](TProcessImage& pi) { pi.StuffShift = 1; },
     [](TProcessImage& pi) { pi.StuffShift = 0; },
     {Box({"КТ отсутствует"}, " При определении № контролл.")}},
    {"LoopStateModeOne", Nastrojka, "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 20 01 10 03 19",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.LoopState[2] = 10; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxValue = 0x0120; pi.RxLamp = 1; pi.LoopState[2] = 1; }},
    {"LoopStateModeTwo", Nastrojka, "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 60 01 10 03 59",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; pi.RxLamp = 1; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxValue = 0x0160; pi.RxLamp = 0; pi.LoopState[2] = 2; }},
    {"LoopStateModeThirtyOne", Nastrojka, "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 28 01 10 03 21",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.LoopState[2] = 1; },
     [](TProcessImage& pi) { pi.RxValue = 0x0128; pi.RxLamp = 1; pi.LoopState[2] = 31; }},
    {"LoopStateModeThirtyTwo", Nastrojka, "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 68 01 10 03 61",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.RxValue = 0x0168; pi.RxLamp = 1; pi.LoopState[2] = 32; }},
    {"LoopStateBit5Clear", Nastrojka, "10 02 01 05 02 52 02 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA 48 01 10 03 41",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.LoopState[2] = 2; },
     [](TProcessImage& pi) { pi.RxValue = 0x0148; pi.RxLamp = 1; pi.LoopState[2] = 10; }},
    {"LoopStateTwoDoubledPairs", Nastrojka,
     "10 02 01 05 02 52 02 A1 10 10 A3 10 10 A5 A6 A7 A8 A9 AA 60 01 10 03 53",
     [](TProcessImage& pi) { pi.ControllerNo = 5; },
     [](TProcessImage& pi) { pi.StuffShift = 2; pi.RxValue = 0x0160; pi.RxLamp = 1; pi.LoopState[2] = 2; }},
    {"WriteAcknowledged", Nastrojka, "10 02 01 05 01 50 00 10 03 7C",
     [](TProcessImage& pi) {
         pi.ControllerNo = 5; pi.BusyMode = 10; pi.WriteRetryBias = 6; pi.NoReplyCount = 3;
     },
     [](TProcessImage& pi) {
         pi.CalcChecksum = 0x7C; pi.RxChecksum = 0x7C; pi.WriteRetryBias = 0; pi.CommandAccepted = 1;
         pi.NoReplyCount = 0; pi.RxLamp = 1;
     },
     {CommandAcceptedWindow()}},
    {"WriteAcknowledgementWrongChecksum", Nastrojka, "10 02 01 05 01 50 00 10 03 7D",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.WriteRetryBias = 6; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.CalcChecksum = 0x7C; pi.RxChecksum = 0x7D; }},
    {"WriteAcknowledgementOutsideWrite", Nastrojka, "10 02 01 05 01 50 00 10 03 7C",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 1; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.CalcChecksum = 0x7C; pi.RxChecksum = 0x7C; }},
    {"RefusalCountsGroupB", Nastrojka, "10 02 01 05 04 50 16 10 03 95",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.DiscoveringB = 1; pi.CountB = 8; },
     [](TProcessImage& pi) { pi.CalcChecksum = 0x95; pi.RxChecksum = 0x95; pi.CountB = 7; }},
    {"RefusalCountsGroupA", Nastrojka, "10 02 01 05 04 50 16 10 03 95",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; },
     [](TProcessImage& pi) { pi.CalcChecksum = 0x95; pi.RxChecksum = 0x95; pi.CountA = 7; }},
    {"RefusalWrongChecksum", Nastrojka, "10 02 01 05 04 50 16 10 03 96",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; },
     [](TProcessImage& pi) { pi.CalcChecksum = 0x95; pi.RxChecksum = 0x96; }},
    {"LoopCommandAcknowledged", Nastrojka, "10 02 01 05 02 50 00 10 03 7D",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; pi.RxLamp = 1; },
     {CommandAcceptedWindow()}},
    {"LoopCommandAcknowledgedByOtherNode", Nastrojka, "10 02 01 03 02 50 00 10 03 7B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.NoReplyCount = 0; }},
    {"GatewayReportWriteRefused", Nastrojka, "10 02 01 00 00 50 01 00 2C 10 03 A3",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; pi.CommandAccepted = 1; pi.NoReplyCount = 3; },
     [](TProcessImage& pi) { pi.CommandAccepted = 0; pi.RxLamp = 1; }},
    {"GatewayReportOther", Nastrojka, "10 02 01 00 00 50 01 05 1F 10 03 9B",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.CommandAccepted = 1; pi.RxLamp = 1; },
     [](TProcessImage& pi) { pi.RxLamp = 0; }},
    {"WriteRefusalIgnored", Nastrojka, "10 02 01 05 01 50 2C 10 03 A8",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; }},
    {"InputRefusalOtherCodeIgnored", Nastrojka, "10 02 01 05 04 50 05 10 03 84",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.BusyMode = 10; }},
    {"DataReplyIgnored", Nastrojka, "10 02 01 05 01 52 07 04 01 20 51 10 03 FB",
     [](TProcessImage& pi) { pi.ControllerNo = 5; pi.NoReplyCount = 3; }},
    {"NoReplyChangesNothing", Nastrojka, "", [](TProcessImage& pi) { pi.StuffShift = 2; },
     [](TProcessImage& pi) { pi.StuffShift = 0; }},
};

class StatusReplies : public ::testing::TestWithParam<ReplyCase> {};
TEST_P(StatusReplies, DecodeAsWorked) { CheckReply(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Worked, StatusReplies, ::testing::ValuesIn(kStatusReplies), CaseName);

// Timers run inside the start-up box; whatever a nested handler does to RxBuf, the map taken
// in is the one the operator was shown.
TEST(Identification, MapShownIsTheMapTaken) {
    TProcessImage pi;
    LoadRx(pi, "10 02 04 04 02 10 03 2F");
    RecordingWindows windows;
    windows.duringBox = [&] { LoadRx(pi, "10 02 04 00 00 10 03 29"); };
    protocol::Nastrojka(pi, windows);
    EXPECT_EQ(pi.ControllerNo, 10);
    EXPECT_EQ(pi.NetNode[3], 1);
    EXPECT_EQ(pi.NetNode[10], 1);
}

}  // namespace
