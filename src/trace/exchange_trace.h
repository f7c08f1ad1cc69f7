#pragma once
// The exchange trace, on the GUI thread: what each exchange wrote and read, when, and what the
// decoder made of it, handed as plain records to sinks (the trace file, a benchmark's recorder).
// Installed only when asked for; without it the exchange does nothing beyond its own work.
//
// The GUI thread only copies bytes, times and the decoder's notes here. Formatting and writing
// happen off it (trace_file.h).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "protocol/decode_report.h"
#include "serial/serial_channel.h"

namespace trace {

using platform::Micros;

// What an exchange is for; the request bytes alone do not tell a read-back from a poll.
enum class ExchangeKind : std::uint8_t {
    Other,
    Probe,
    LoopState,
    InputCount,     // discovery counting inputs (refusals lower the count)
    InputRead,
    ParameterRead,  // the polling's
    WriteTry,
    ReadBack,       // a parameter read after a write
    LoopCommand,
};
const char* KindName(ExchangeKind kind);

struct Record {
    enum class Type : std::uint8_t {
        Request,   // a write
        Reply,     // a read, with the decoder's notes up to its end or its first box
        AfterBox,  // the decoder's notes after a box it showed (the operator closed it)
    };
    Type type = Type::Request;
    ExchangeKind kind = ExchangeKind::Other;
    std::uint32_t exchange = 0;  // number of the exchange from 1; 0 for a transfer outside one
    Micros at = 0;               // the line's moment: write call, read return, box or decoder end

    // Request: start of the exchange (before its pause), its pause, write call and return.
    // Reply: read call and return, end of decoding (or the moment its first box opened).
    Micros begin = 0;
    std::int32_t pauseMs = 0;
    Micros call = 0;
    Micros done = 0;
    Micros end = 0;

    std::uint32_t asked = 0;  // bytes written or asked to read
    std::uint32_t moved = 0;  // bytes the system took, or received
    std::uint32_t error = 0;  // Win32 code of a failed call
    std::array<std::uint8_t, 30> bytes{};  // the request (asked bytes) or the bytes received

    bool decoded = false;  // a decoder ran over the read (the report holds its notes)
    protocol::DecodeReport report;
    int firstNote = 0;     // notes before this one went out with an earlier record
    bool box = false;      // the decoder showed a box right after these notes
    std::string boxCaption, boxText;
};

class Sink {
public:
    virtual ~Sink() = default;
    // Called on the GUI thread; must not block it.
    virtual void Take(const Record& record) = 0;
};

class ExchangeTracer final : public serial::LineListener {
public:
    ExchangeTracer();
    void AddSink(Sink* sink) { sinks_.push_back(sink); }

    // Around one exchange. Exchanges nest when a box inside one lets a timer run another.
    void Begin(ExchangeKind kind, int pauseMs);
    // Where the decoder of the open exchange notes what it finds; null before its read.
    protocol::DecodeReport* Report();
    // The decoder is about to show a modal box: what it found so far goes out now, since other
    // exchanges may run before it returns.
    void BeforeBox(const std::string& caption, const std::string& text);
    void End();

    // serial::LineListener
    void Wrote(const serial::Transfer& t) override;
    void Read(const serial::Transfer& t) override;

private:
    struct Open {
        std::uint32_t number = 0;
        ExchangeKind kind = ExchangeKind::Other;
        Micros begin = 0;
        int pauseMs = 0;
        bool read = false;
        bool flushed = false;  // the reply record has gone out (at a box)
        Record reply;
    };
    void Emit(const Record& r);
    void FlushReply(Open& o, bool box, const std::string& caption, const std::string& text);

    // A fixed stack: a decoder holds a pointer into its exchange's report across the nested ones.
    static constexpr int kDepth = 16;
    std::array<Open, kDepth> open_{};
    int depth_ = 0;
    int skipped_ = 0;  // exchanges nested deeper than kDepth, not traced
    std::uint32_t count_ = 0;
    std::vector<Sink*> sinks_;
};

// The tracer in force (also the serial channel's listener); nullptr removes it.
void Install(ExchangeTracer* tracer);
ExchangeTracer* Active();
// The open exchange's report, or null when nothing traces.
protocol::DecodeReport* ActiveReport();

}  // namespace trace
