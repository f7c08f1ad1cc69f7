#include "trace/exchange_trace.h"

#include <algorithm>
#include <cstring>

namespace trace {

namespace {

ExchangeTracer* active = nullptr;

Micros Now() { return platform::CurrentClock().Now(); }

// What the port said of a write or a read: its times, counts, error and `count` of its bytes.
void TakeTransfer(Record& r, const serial::Transfer& t, std::uint32_t count) {
    r.call = t.call;
    r.done = t.done;
    r.asked = t.asked;
    r.moved = t.moved;
    r.error = t.error;
    const std::uint32_t n = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(r.bytes.size()));
    if (t.bytes && n > 0) std::memcpy(r.bytes.data(), t.bytes, n);
}

}  // namespace

const char* KindName(ExchangeKind kind) {
    switch (kind) {
        case ExchangeKind::Probe: return "probe";
        case ExchangeKind::LoopState: return "loop state";
        case ExchangeKind::InputCount: return "input count";
        case ExchangeKind::InputRead: return "input read";
        case ExchangeKind::ParameterRead: return "parameter read";
        case ExchangeKind::WriteTry: return "write try";
        case ExchangeKind::ReadBack: return "read-back";
        case ExchangeKind::LoopCommand: return "loop command";
        case ExchangeKind::Other: break;
    }
    return "other";
}

ExchangeTracer::ExchangeTracer() { sinks_.reserve(4); }

void ExchangeTracer::Emit(const Record& r) {
    for (Sink* s : sinks_) s->Take(r);
}

void ExchangeTracer::Begin(ExchangeKind kind, int pauseMs) {
    if (depth_ == kDepth) {
        ++skipped_;
        return;
    }
    Open& o = open_[static_cast<std::size_t>(depth_++)];
    o.number = ++count_;
    o.kind = kind;
    o.begin = Now();
    o.pauseMs = pauseMs;
    o.read = false;
    o.flushed = false;
    o.reply.report.count = 0;
    o.reply.box = false;
    o.reply.boxCaption.clear();
    o.reply.boxText.clear();
}

protocol::DecodeReport* ExchangeTracer::Report() {
    if (depth_ == 0 || skipped_ > 0) return nullptr;
    Open& o = open_[static_cast<std::size_t>(depth_ - 1)];
    return o.read ? &o.reply.report : nullptr;
}

void ExchangeTracer::FlushReply(Open& o, bool box, const std::string& caption, const std::string& text) {
    Record& r = o.reply;
    r.box = box;
    if (box) {
        r.boxCaption = caption;
        r.boxText = text;
    }
    if (o.flushed) {
        // Notes found after a box the operator has closed.
        r.type = Record::Type::AfterBox;
        r.at = Now();
    }
    r.end = Now();
    Emit(r);
    o.flushed = true;
    r.firstNote = r.report.count;
    r.box = false;
    r.boxCaption.clear();
    r.boxText.clear();
}

void ExchangeTracer::BeforeBox(const std::string& caption, const std::string& text) {
    if (depth_ == 0 || skipped_ > 0) return;
    Open& o = open_[static_cast<std::size_t>(depth_ - 1)];
    if (!o.read) return;
    FlushReply(o, true, caption, text);
}

void ExchangeTracer::End() {
    if (skipped_ > 0) {
        --skipped_;
        return;
    }
    if (depth_ == 0) return;
    Open& o = open_[static_cast<std::size_t>(depth_ - 1)];
    if (o.read && (!o.flushed || o.reply.report.count > o.reply.firstNote)) FlushReply(o, false, {}, {});
    --depth_;
}

void ExchangeTracer::Wrote(const serial::Transfer& t) {
    Record r;
    r.type = Record::Type::Request;
    r.at = t.call;
    TakeTransfer(r, t, t.asked);
    if (depth_ > 0 && skipped_ == 0) {
        const Open& o = open_[static_cast<std::size_t>(depth_ - 1)];
        r.exchange = o.number;
        r.kind = o.kind;
        r.begin = o.begin;
        r.pauseMs = o.pauseMs;
    } else {
        r.begin = t.call;
    }
    Emit(r);
}

void ExchangeTracer::Read(const serial::Transfer& t) {
    Open* o = depth_ > 0 && skipped_ == 0 ? &open_[static_cast<std::size_t>(depth_ - 1)] : nullptr;
    if (o && o->read) o = nullptr;  // a second read in one exchange stands on its own
    Record standalone;
    Record& r = o ? o->reply : standalone;
    r.type = Record::Type::Reply;
    r.at = t.done;
    r.end = t.done;
    TakeTransfer(r, t, t.moved);
    r.firstNote = 0;
    if (o) {
        r.exchange = o->number;
        r.kind = o->kind;
        r.begin = o->begin;
        r.pauseMs = o->pauseMs;
        r.decoded = true;
        o->read = true;
        return;  // goes out once decoded
    }
    r.begin = t.call;
    Emit(r);
}

void Install(ExchangeTracer* tracer) {
    active = tracer;
    serial::SetLineListener(tracer);
}

ExchangeTracer* Active() { return active; }

protocol::DecodeReport* ActiveReport() { return active ? active->Report() : nullptr; }

}  // namespace trace
