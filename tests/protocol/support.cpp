#include "support.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace protocol_test {

std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in{std::string(text)};
    std::string token;
    while (in >> token) {
        std::size_t used = 0;
        const unsigned long value = std::stoul(token, &used, 16);
        if (used != token.size() || token.size() != 2) throw std::invalid_argument("bad hex byte: " + token);
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

std::string ToHex(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X", bytes[i]);
        if (i) text += ' ';
        text += b;
    }
    return text;
}

void LoadRx(TProcessImage& pi, std::string_view hex, int offset) {
    const std::vector<std::uint8_t> bytes = Hex(hex);
    if (offset + bytes.size() > sizeof pi.RxBuf) throw std::invalid_argument("reply longer than RxBuf");
    std::memset(pi.RxBuf, 0, sizeof pi.RxBuf);
    if (!bytes.empty()) std::memcpy(pi.RxBuf + offset, bytes.data(), bytes.size());
}

void ZeroRx28(TProcessImage& pi) { std::memset(pi.RxBuf, 0, 28); }

namespace {

struct Differ {
    std::vector<std::string> out;

    template <class T>
    void Field(const std::string& name, const T& e, const T& a) {
        if (e == a) return;
        std::ostringstream line;
        line << name << ": " << +e << " -> " << +a;
        out.push_back(line.str());
    }
    void Field(const std::string& name, const std::string& e, const std::string& a) {
        if (e != a) out.push_back(name + ": \"" + e + "\" -> \"" + a + "\"");
    }
    void Field(const std::string& name, void* e, void* a) {
        if (e != a) out.push_back(name + " differs");
    }
    template <std::size_t N>
    void Bytes(const std::string& name, const std::uint8_t (&e)[N], const std::uint8_t (&a)[N]) {
        if (std::memcmp(e, a, N) != 0) out.push_back(name + ": " + ToHex(e, N) + " -> " + ToHex(a, N));
    }
    template <class T, int N, int First>
    void Array(const std::string& name, const IndexedArray<T, N, First>& e, const IndexedArray<T, N, First>& a) {
        for (int k = First; k < First + N; ++k) Field(name + "[" + std::to_string(k) + "]", e[k], a[k]);
    }
};

}  // namespace

std::vector<std::string> Differences(const TProcessImage& e, const TProcessImage& a) {
    Differ d;
#define FIELD(f) d.Field(#f, e.f, a.f)
#define ARRAY(f) d.Array(#f, e.f, a.f)
#define BYTES(f) d.Bytes(#f, e.f, a.f)
    FIELD(ControllerNo);
    ARRAY(NetNode);
    FIELD(NetMapLo);
    FIELD(NetMapHi);
    FIELD(CountA);
    FIELD(CountB);
    FIELD(LoopCount);
    ARRAY(LoopState);
    FIELD(GroupBKind);
    ARRAY(InputA);
    ARRAY(InputB);
    ARRAY(InputBUpper);
    ARRAY(LoopSetpoint);
    ARRAY(LoopUstavka);
    FIELD(BusyMode);
    FIELD(CommandAccepted);
    FIELD(WriteRetryBias);
    FIELD(WriteValue);
    FIELD(DiscoveringB);
    FIELD(StartupDone);
    FIELD(ShutdownNotice);
    FIELD(NoReplyCount);
    FIELD(LinkWindowArmed);
    FIELD(PollTick);
    FIELD(GroupATick);
    FIELD(ParamTick);
    FIELD(ChannelCursor);
    FIELD(ParamPollIndex);
    FIELD(GroupACursor);
    FIELD(StuffShift);
    FIELD(RxValue);
    FIELD(RxBlock);
    FIELD(RxIndex);
    FIELD(RxChecksum);
    FIELD(CalcChecksum);
    BYTES(RxBuf);
    FIELD(RxCount);
    FIELD(SumCell);
    BYTES(ReqGatewayProbe);
    BYTES(ReqReadInput);
    BYTES(ReqReadParam);
    BYTES(ReqLoopState);
    BYTES(ReqWriteParam);
    BYTES(ReqLoopCommand1);
    BYTES(ReqLoopCommand2);
    BYTES(ReqLoopCommand3);
    BYTES(ReqLoopCommand4);
    FIELD(Scale);
    FIELD(RxLamp);
    FIELD(TxLamp);
    FIELD(FeedbackPanel);
    FIELD(ComHandle);
    FIELD(ComDcb.BaudRate);
    FIELD(ComDcb.ByteSize);
    FIELD(ComDcb.Parity);
    FIELD(ComDcb.StopBits);
    FIELD(ComTimeouts.ReadIntervalTimeout);
    FIELD(ComTimeouts.ReadTotalTimeoutMultiplier);
    FIELD(ComTimeouts.ReadTotalTimeoutConstant);
    FIELD(LastError);
    FIELD(ErrorText);
    FIELD(ErrorMsgCount);
#undef FIELD
#undef ARRAY
#undef BYTES
    return d.out;
}

std::ostream& operator<<(std::ostream& os, const WindowCall& call) {
    switch (call.kind) {
    case WindowCall::NoAnswer: return os << "no-answer window";
    case WindowCall::CommandAccepted: return os << "command-accepted window";
    case WindowCall::Box: return os << "box \"" << call.text << "\" / \"" << call.caption << "\"";
    case WindowCall::ControllerNo: return os << "Lab1 \"" << call.text << "\"";
    }
    return os;
}

WindowCall NoAnswerWindow() { return {WindowCall::NoAnswer, {}, {}}; }
WindowCall CommandAcceptedWindow() { return {WindowCall::CommandAccepted, {}, {}}; }
WindowCall Box(std::initializer_list<std::string_view> text, std::string caption) {
    std::string joined;
    for (std::string_view piece : text) joined += piece;
    return {WindowCall::Box, joined, std::move(caption)};
}
WindowCall Lab1(std::string caption) { return {WindowCall::ControllerNo, std::move(caption), {}}; }

}  // namespace protocol_test
