#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <limits>

#include "platform/win32/win32.h"

namespace headless {

struct HeadlessBackend::Slot {
    vcl::TTimer* timer = nullptr;
    Micros due = 0;
    long seq = 0;  // creation order, for ties
    bool armed = false;
};

// Keeps a timer's schedule in step with its Interval and Enabled.
class HeadlessBackend::TimerPeer final : public vcl::Peer {
public:
    TimerPeer(HeadlessBackend& backend, Slot& slot) : backend_(backend), slot_(slot) {}
    void Changed(vcl::Prop) override { Rearm(); }
    void Rearm() {
        slot_.armed = slot_.timer->Enabled() && slot_.timer->Interval() > 0;
        slot_.due = backend_.clock_.Now() + platform::Ms(slot_.timer->Interval());
    }

private:
    HeadlessBackend& backend_;
    Slot& slot_;
};

const BoxRecord& OpenBox::Record() const { return backend_.boxes_[index_]; }
int OpenBox::Depth() const { return backend_.boxes_[index_].depth; }
void OpenBox::RunFor(Micros d) { backend_.Loop(backend_.clock_.Now() + d); }

HeadlessBackend::HeadlessBackend() = default;

HeadlessBackend::~HeadlessBackend() = default;

void HeadlessBackend::Attach(vcl::TForm& form) {
    for (const auto& c : form.Components()) {
        auto* timer = dynamic_cast<vcl::TTimer*>(c.get());
        if (!timer) continue;
        auto slot = std::make_unique<Slot>();
        slot->timer = timer;
        slot->seq = nextSeq_++;
        auto peer = std::make_unique<TimerPeer>(*this, *slot);
        peer->Rearm();
        timer->SetPeer(std::move(peer));
        slots_.push_back(std::move(slot));
    }
}

void HeadlessBackend::Detach(vcl::TForm& form) {
    for (auto& slot : slots_)
        if (slot->timer && slot->timer->OwnerForm() == &form) {
            slot->timer->SetPeer(nullptr);
            slot->timer = nullptr;
            slot->armed = false;
        }
}

void HeadlessBackend::PaintNow(vcl::TForm& form) {
    for (auto& p : paints_)
        if (p.first == &form) {
            ++p.second;
            return;
        }
    paints_.emplace_back(&form, 1);
}

int HeadlessBackend::PaintCount(const vcl::TForm& form) const {
    for (const auto& p : paints_)
        if (p.first == &form) return p.second;
    return 0;
}

HeadlessBackend::Slot* HeadlessBackend::NextDue(Micros until) {
    // The earliest due first, overdue ones included (they fire now); ties by creation order.
    Slot* best = nullptr;
    for (auto& s : slots_) {
        if (!s->armed || !s->timer) continue;
        if (s->due > until && s->due > clock_.Now()) continue;
        if (!best || s->due < best->due || (s->due == best->due && s->seq < best->seq)) best = s.get();
    }
    return best;
}

void HeadlessBackend::Loop(Micros until) {
    // Slots are only ever added, and only while forms are created, never from a handler;
    // indexes into slots_ stay valid across nested loops.
    while (!quitting_) {
        Slot* slot = NextDue(until);
        if (!slot) break;
        clock_.AdvanceTo(slot->due);
        // Rescheduled before the handler runs: a nested loop inside the handler may fire it again.
        slot->due = clock_.Now() + platform::Ms(slot->timer->Interval());
        slot->timer->Fire();
    }
    if (!quitting_) clock_.AdvanceTo(until);
}

void HeadlessBackend::RunFor(Micros d) { Loop(clock_.Now() + d); }

bool HeadlessBackend::RunUntil(const std::function<bool()>& done, Micros limit) {
    const Micros end = clock_.Now() + limit;
    while (!done()) {
        if (quitting_ || clock_.Now() >= end) return done();
        Slot* slot = NextDue(end);
        if (!slot) {
            clock_.AdvanceTo(end);
            return done();
        }
        clock_.AdvanceTo(slot->due);
        slot->due = clock_.Now() + platform::Ms(slot->timer->Interval());
        slot->timer->Fire();
    }
    return true;
}

int HeadlessBackend::MessageBox(const vcl::MessageBoxRequest& box) {
    ++depth_;
    maxDepth_ = std::max(maxDepth_, depth_);
    BoxRecord record;
    record.openedAt = clock_.Now();
    record.kind = box.kind;
    record.text = box.text;
    record.caption = box.caption;
    record.flags = box.flags;
    record.depth = depth_;
    const std::size_t index = boxes_.size();
    boxes_.push_back(std::move(record));
    if (onBox) {
        OpenBox open(*this, index);
        onBox(open);
    }
    boxes_[index].closedAt = clock_.Now();
    --depth_;
    return win32::IDOK;
}

void HeadlessBackend::Run() {
    // A test that forgets to close the main form ends here instead of hanging.
    const Micros end = clock_.Now() + runLimit;
    while (!quitting_ && clock_.Now() < end) Loop(std::min(end, clock_.Now() + platform::Ms(1000)));
}

void HeadlessBackend::Quit() { quitting_ = true; }

void HeadlessBackend::ShowException(const std::string& message) { exceptions_.push_back(message); }

}  // namespace headless
