#pragma once
// What no stream of bytes on the line may ever make an exchange do. The checker reads the line
// by the frame layout alone (DLE STX, body with every 10 10 standing for one 0x10, DLE ETX,
// checksum of every byte before it as on the line), independently of the decoders, and holds
// each exchange of a run against that:
// - the read: RxBuf takes exactly the bytes read, the rest keeps what it held after clearing;
// - values, maps, loop states, the controller number and the group B kind only ever take a
//   value that an intact reply somewhere on the line carries for that field, or keep theirs;
// - a decoder changes only the fields it writes, counts stay in their ranges and move by one
//   checksummed refusal at most;
// - boxes and windows come only from a reply of a kind that asks for them, with its own texts;
// - the serial channel reports nothing (the line never fails in these runs).

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "exchange_run.h"

namespace exchange {

// A frame read from `start` (DLE STX) by the layout.
struct LineFrame {
    std::vector<std::uint8_t> bytes;  // DLE STX and the body, up to DLE ETX or where it broke off
    bool closed = false;              // DLE ETX ends the body
    bool sumOk = false;               // and the byte after it is the sum of everything before it
    bool Intact(std::size_t size) const { return closed && sumOk && bytes.size() == size; }
    // Byte i of the frame, or -1 where the frame holds none.
    int At(std::size_t i) const { return i < bytes.size() ? bytes[i] : -1; }
};
LineFrame ReadFrame(std::span<const std::uint8_t> line, std::size_t start);

class Checker {
public:
    explicit Checker(const Run& run);

    // The properties exchange `x` broke, one line each; empty when it kept them all. `data`: the
    // data decoder (Sortirovka_Buf) got the reply, else the status decoder; `cleared`: bytes of
    // RxBuf the caller zeroed.
    std::vector<std::string> Check(bool data, int cleared, const Exchange& x) const;

    // Values intact replies on the line carry, by field ("InputA[3]"), for the data decoder
    // and for the status decoder.
    using Carried = std::map<std::string, std::set<long>>;
    const Carried& ForData() const { return data_; }
    const Carried& ForStatus() const { return status_; }

private:
    void Collect(std::span<const std::uint8_t> segment);
    void DataReply(const std::vector<std::uint8_t>& b);
    void Identification(const std::vector<std::uint8_t>& b);
    void LoopStateReply(const std::vector<std::uint8_t>& b);

    void CheckRead(bool data, int cleared, const Exchange& x, std::vector<std::string>& out) const;
    void CheckFields(bool data, const Exchange& x, std::vector<std::string>& out) const;
    void CheckFlags(bool data, const Exchange& x, std::vector<std::string>& out) const;
    void CheckDataWindows(const Exchange& x, std::vector<std::string>& out) const;
    void CheckStatusWindows(const Exchange& x, std::vector<std::string>& out) const;
    bool ControllerCandidate(bool data, const Exchange& x, int node) const;
    bool MapDigits(const std::string& digits) const;

    Carried data_;
    Carried status_;
    std::set<long> maps_;  // identification map words
};

// Every broken property of a run, each line naming its exchange; empty when none.
std::vector<std::string> CheckRun(const Role& role, const Run& run);
std::vector<std::string> CheckRun(bool data, int cleared, const Run& run);

}  // namespace exchange
