#pragma once
// One reply read out of RxBuf from a start position, with the doubled DLE bytes undone. Each
// start position gets its own view, so nothing of one frame carries into the next. Reading
// stops at DLE ETX, at a DLE that neither doubles nor closes (the frame is broken there) and at
// the end of the bytes the read received: a position past any of these holds no byte and
// matches nothing. The caller's zeros and an earlier read's leftovers after the received bytes
// are no part of a reply: neither a field nor a checksum.

#include <array>
#include <cstdint>

#include "protocol/decode_report.h"

namespace protocol {

class ReplyFrame {
public:
    static constexpr int kBufferSize = 30;

    // rx: the receive buffer; start: the position of the opening DLE STX; received: how many bytes
    // of rx the read filled.
    ReplyFrame(const std::uint8_t (&rx)[kBufferSize], int start, int received = kBufferSize);

    // Whether the frame holds byte i (positions count from the opening DLE, after undoing).
    bool Has(int i) const { return i >= 0 && i < size_; }
    // Byte i, or -1 (equal to no byte value) when the frame does not hold it.
    int At(int i) const { return Has(i) ? bytes_[static_cast<std::size_t>(i)] : -1; }
    std::uint8_t operator[](int i) const { return static_cast<std::uint8_t>(At(i)); }

    // Number of bytes before DLE ETX (or before the frame broke off), counting DLE STX.
    int Size() const { return size_; }
    // 10 10 pairs undone, in the whole frame or among bytes 0..end-1.
    int Pairs() const { return pairs_; }
    int PairsBefore(int end) const;
    // Whether DLE ETX closes the frame.
    bool Closed() const { return closed_; }
    // Closed with `size` bytes before DLE ETX, followed by the checksum of every byte before it
    // as they stand on the line (doubled bytes counted twice), received.
    bool Intact(int size) const { return closed_ && size_ == size && checksumOk_; }

private:
    std::array<std::uint8_t, kBufferSize> bytes_{};
    int size_ = 0;
    int pairs_ = 0;
    std::uint32_t doubled_ = 0;  // bit i: byte i arrived as 10 10
    bool closed_ = false;
    bool checksumOk_ = false;
};

}  // namespace protocol

namespace protocol {

// The gateway's own report: kind 01, node 0, function 0, letter "P", with its three fields
// (count of errors, node concerned, error code) at 6, 7 and 8.
bool IsGatewayReport(const ReplyFrame& f);

// Why a frame that should hold `size` bytes before DLE ETX is not intact; None if it is.
Defect DefectOf(const ReplyFrame& f, int size);

}  // namespace protocol
