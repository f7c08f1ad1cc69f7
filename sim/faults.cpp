#include "sim/faults.h"

namespace sim {

namespace {
// Tries of one write follow each other within about half a second; a longer pause means the
// operator started a new write.
constexpr platform::Micros kSameWrite = platform::Ms(2000);
}  // namespace

std::uint64_t Draw(std::mt19937_64& rng, std::uint64_t n) {
    if (n <= 1) return 0;
    // Rejection keeps the draw fair and the same on every standard library.
    const std::uint64_t limit = rng.max() - (rng.max() - n + 1) % n;
    std::uint64_t v;
    do v = rng();
    while (v > limit);
    return v % n;
}

FaultPlan::FaultPlan(std::vector<FaultRule> rules) {
    for (FaultRule& r : rules) rules_.push_back(Rule{std::move(r)});
}

bool FaultPlan::Selected(Rule& r, std::mt19937_64& rng) {
    ++r.seen;
    if (r.rule.nth > 0) return r.seen == r.rule.nth;
    if (r.rule.every > 0) return r.seen % r.rule.every == 0;
    if (r.rule.probability) return static_cast<double>(Draw(rng, 1'000'000)) < *r.rule.probability * 1e6;
    return true;
}

std::vector<const FaultRule*> FaultPlan::Strike(const Request& request, std::mt19937_64& rng) {
    std::vector<const FaultRule*> struck;
    const bool newWrite = request.kind == RequestKind::WriteParam &&
                          (last_.acknowledged || last_.node != request.node || last_.block != request.block ||
                           last_.index != request.index || request.end - last_.end > kSameWrite);
    for (Rule& r : rules_) {
        if (r.rule.node && *r.rule.node != request.node) continue;
        if (r.rule.type == FaultType::NoAck) {
            if (request.kind != RequestKind::WriteParam) continue;
            if (newWrite) r.triesLeft = Selected(r, rng) ? r.rule.tries : 0;
            if (r.triesLeft > 0) {
                --r.triesLeft;
                struck.push_back(&r.rule);
            }
            continue;
        }
        if (r.rule.on && *r.rule.on != request.kind) continue;
        if (Selected(r, rng)) struck.push_back(&r.rule);
    }
    return struck;
}

void FaultPlan::NoteWrite(const Request& request, bool acknowledged) {
    last_ = LastWrite{request.node, request.block, request.index, request.end, acknowledged};
}

}  // namespace sim
