#pragma once
// The one record of state the whole station shares. Every handler reads and writes its
// fields directly by name; nothing in it outlives the run.

#include <array>
#include <cassert>
#include <cstdint>
#include <string>

#include "platform/win32/win32.h"

// An array indexed from First to First + N - 1, as the record's arrays are. Indexing
// outside that range is a programming error; decoders check channel and loop bytes
// from the line with Contains() before they index.
template <class T, int N, int First = 1>
struct IndexedArray {
    std::array<T, N> items{};

    static constexpr bool Contains(int k) { return k >= First && k < First + N; }
    T& operator[](int k) {
        assert(Contains(k));
        return items[static_cast<std::size_t>(k - First)];
    }
    const T& operator[](int k) const {
        assert(Contains(k));
        return items[static_cast<std::size_t>(k - First)];
    }
    bool operator==(const IndexedArray&) const = default;
};

struct TProcessImage {
    // Controller and network
    std::int32_t ControllerNo = 0;
    IndexedArray<std::int32_t, 15> NetNode;
    std::uint8_t NetMapLo = 0;
    std::uint8_t NetMapHi = 0;
    std::int32_t CountA = 8;
    std::int32_t CountB = 0;
    std::int32_t LoopCount = 1;
    IndexedArray<std::int32_t, 4> LoopState;
    std::int32_t GroupBKind = 3;

    // Values read from the controller
    IndexedArray<std::int32_t, 8> InputA;
    IndexedArray<std::int32_t, 8> InputB;
    // Group B inputs 9 to 15, which discovery may count beyond the eight of InputB.
    IndexedArray<std::int32_t, 7, 9> InputBUpper;
    IndexedArray<std::int32_t, 4> LoopSetpoint;
    IndexedArray<std::int32_t, 4> LoopUstavka;

    // Exchange control
    std::int32_t BusyMode = 0;
    std::int32_t CommandAccepted = 0;
    std::int32_t WriteRetryBias = 0;
    std::int32_t WriteValue = 0;
    std::int32_t DiscoveringB = 0;
    std::int32_t StartupDone = 0;
    std::int32_t ShutdownNotice = 0;
    std::int32_t NoReplyCount = 0;
    std::int32_t LinkWindowArmed = 1;

    // Polling schedule
    std::int32_t PollTick = 0;
    std::int32_t GroupATick = 0;
    std::int32_t ParamTick = 0;
    std::int32_t ChannelCursor = 0;
    std::int32_t ParamPollIndex = 0;
    // The last group A channel requested, 0 before the first: the next one is the channel after
    // it, 1..CountA, wrapping, so that every group A input is read in turn.
    std::int32_t GroupACursor = 0;

    // Decoder working fields: what the last decoded reply left
    std::int32_t StuffShift = 0;
    std::int32_t RxValue = 0;
    std::int32_t RxBlock = 0;
    std::int32_t RxIndex = 0;
    std::int32_t ScanPos = 0;
    std::int32_t ScanAux = 0;
    std::uint8_t RxChecksum = 0;
    std::uint8_t CalcChecksum = 0;

    // Receive buffer and request frames
    std::uint8_t RxBuf[30] = {};
    std::uint8_t SumCell = 0;
    // Bytes the last PortRead put into RxBuf. Beyond them RxBuf holds the caller's zeros or what
    // an earlier read left, so a checksum found there was never received.
    std::int32_t RxCount = 30;
    std::uint8_t ReqGatewayProbe[6] = {0x10, 0x02, 0x04, 0x10, 0x03, 0x29};
    std::uint8_t ReqReadInput[11] = {0x10, 0x02, 0x01, 0x01, 0x04, 0x4E, 0x05, 0x01, 0x10, 0x03, 0xCC};
    std::uint8_t ReqReadParam[11] = {0x10, 0x02, 0x01, 0x01, 0x01, 0x4E, 0x07, 0x05, 0x10, 0x03, 0xCC};
    std::uint8_t ReqLoopState[10] = {0x10, 0x02, 0x01, 0x01, 0x02, 0x4E, 0x01, 0x10, 0x03, 0xCC};
    std::uint8_t ReqWriteParam[13] = {0x10, 0x02, 0x01, 0x01, 0x01, 0x49, 0x07, 0x04, 0xAA, 0xBB, 0x10, 0x03, 0xCC};
    std::uint8_t ReqLoopCommand1[11] = {0x10, 0x02, 0x01, 0x01, 0x02, 0x49, 0x01, 0x07, 0x10, 0x03, 0xAA};
    std::uint8_t ReqLoopCommand2[11] = {0x10, 0x02, 0x01, 0x01, 0x02, 0x49, 0x01, 0x07, 0x10, 0x03, 0xAA};
    std::uint8_t ReqLoopCommand3[11] = {0x10, 0x02, 0x01, 0x01, 0x02, 0x49, 0x01, 0x07, 0x10, 0x03, 0xAA};
    std::uint8_t ReqLoopCommand4[11] = {0x10, 0x02, 0x01, 0x01, 0x02, 0x49, 0x01, 0x07, 0x10, 0x03, 0xAA};

    // Operator display
    float Scale = 0.0f;
    std::int32_t RxLamp = 0;
    std::int32_t TxLamp = 0;
    std::int32_t FeedbackPanel = 0;

    // Serial channel
    win32::HANDLE ComHandle = win32::INVALID_HANDLE_VALUE;
    win32::DCB ComDcb{};
    win32::COMMTIMEOUTS ComTimeouts{};
    std::uint32_t LastError = 0;
    std::string ErrorText;
    std::int32_t ErrorMsgCount = 0;

    // The value slot of group B channel 1..15, or null for any other channel.
    std::int32_t* GroupBSlot(int channel) {
        if (InputB.Contains(channel)) return &InputB[channel];
        if (InputBUpper.Contains(channel)) return &InputBUpper[channel];
        return nullptr;
    }
};

// The one instance.
extern TProcessImage ProcessImage;
