#include "protocol/reply_frame.h"

#include "protocol/frames.h"

namespace protocol {

ReplyFrame::ReplyFrame(const std::uint8_t (&rx)[kBufferSize], int start, int received) {
    // Bytes past those the read received are the caller's zeros or an earlier reply's leftovers:
    // no part of this reply. A report cut short must not read a cleared zero as its error code.
    const int end = received < kBufferSize ? received : kBufferSize;
    if (start < 0 || start + 1 >= end || rx[start] != kDle || rx[start + 1] != kStx) return;
    bytes_[0] = kDle;
    bytes_[1] = kStx;
    size_ = 2;
    std::uint8_t sum = static_cast<std::uint8_t>(kDle + kStx);
    int i = start + 2;
    while (i < end) {
        const std::uint8_t b = rx[i];
        if (b != kDle) {
            bytes_[static_cast<std::size_t>(size_++)] = b;
            sum = static_cast<std::uint8_t>(sum + b);
            ++i;
            continue;
        }
        if (i + 1 >= end) break;
        const std::uint8_t next = rx[i + 1];
        if (next == kDle) {
            doubled_ |= 1u << size_;
            bytes_[static_cast<std::size_t>(size_++)] = kDle;
            ++pairs_;
            sum = static_cast<std::uint8_t>(sum + kDle + kDle);
            i += 2;
            continue;
        }
        if (next == kEtx) {
            closed_ = true;
            sum = static_cast<std::uint8_t>(sum + kDle + kEtx);
            checksumOk_ = i + 2 < end && rx[i + 2] == sum;
        }
        break;
    }
}

}  // namespace protocol

namespace protocol {

int ReplyFrame::PairsBefore(int end) const {
    int n = 0;
    for (int i = 0; i < end && i < size_; ++i) n += (doubled_ >> i) & 1;
    return n;
}

bool IsGatewayReport(const ReplyFrame& f) {
    return f.At(2) == kKindNetwork && f.At(3) == 0 && f.At(4) == kFunctionReport && f.At(5) == kLetterStatus &&
           f.Has(8);
}

Defect DefectOf(const ReplyFrame& f, int size) {
    if (!f.Closed()) return Defect::NoEtx;
    if (f.Size() != size) return Defect::Length;
    return f.Intact(size) ? Defect::None : Defect::Checksum;
}

}  // namespace protocol
