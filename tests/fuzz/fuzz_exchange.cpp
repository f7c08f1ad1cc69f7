// Whole exchanges: the input chooses the caller, the image it starts from, and the far end's
// bytes in chunks with their timing, so replies come split across reads at any point, cut
// short, run long or wrapped in noise. Every exchange must keep the checker's properties.
//
// Input: caller byte, image-mode byte, 43 bytes of image (RxBuf and state, as the decoder targets
// read them), then chunks: length, then anchor advance, spacing and a seal bit, then lead, then
// the bytes. A sealed chunk ends with the checksum of the frame it closes (everything from the
// last DLE STX on the line), so the fuzzer reaches intact replies, and their cuts, at once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../exchange/exchange_checker.h"
#include "../exchange/exchange_run.h"
#include "fuzz_image.h"

namespace {

constexpr std::size_t kImageBytes = 43;
constexpr int kMaxChunks = 8;
constexpr int kMaxExchanges = 24;
// From a lump arriving at once to bytes slower than the 5 ms interval.
constexpr exchange::Micros kSpacings[] = {0, 100, 1000, 2500, 2500, 4000, 6000, 12000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 + kImageBytes) return 0;
    const auto& roles = exchange::Roles();
    const exchange::Role& role = roles[data[0] % roles.size()];
    TProcessImage start = fuzz::ImageFromInput(data + 2, kImageBytes);
    if (data[1] & 1) {
        // The caller's own state, over the RxBuf an earlier read left.
        TProcessImage own;
        role.state(own);
        std::copy(std::begin(start.RxBuf), std::end(start.RxBuf), own.RxBuf);
        start = own;
    }

    std::vector<exchange::Chunk> chunks;
    std::vector<std::uint8_t> line;
    std::size_t i = 2 + kImageBytes;
    int anchor = 0;
    while (i + 3 <= size && static_cast<int>(chunks.size()) < kMaxChunks) {
        const std::size_t length = data[i] % 48;
        const std::uint8_t how = data[i + 1];
        anchor += how & 3;
        exchange::Chunk c;
        c.exchange = anchor;
        c.spacing = kSpacings[(how >> 2) & 7];
        c.lead = (static_cast<int>(data[i + 2]) - 128) * 320;
        i += 3;
        const std::size_t n = std::min(length, size - i);
        c.bytes.assign(data + i, data + i + n);
        i += n;
        line.insert(line.end(), c.bytes.begin(), c.bytes.end());
        if (how & 0x20) {
            std::size_t open = line.size();
            for (std::size_t q = line.size(); q-- > 1;)
                if (line[q - 1] == 0x10 && line[q] == 0x02) {
                    open = q - 1;
                    break;
                }
            std::uint8_t sum = 0;
            for (std::size_t q = open; q < line.size(); ++q) sum = static_cast<std::uint8_t>(sum + line[q]);
            c.bytes.push_back(sum);
            line.push_back(sum);
        }
        chunks.push_back(std::move(c));
    }

    const exchange::Run run = exchange::RunExchanges(role, start, chunks, kMaxExchanges);
    const std::vector<std::string> problems = exchange::CheckRun(role, run);
    if (problems.empty()) return 0;
    std::fprintf(stderr, "caller %s, line %s\n", role.name, protocol_test::ToHex(run.line.data(), run.line.size()).c_str());
    for (const std::string& p : problems) std::fprintf(stderr, "  %s\n", p.c_str());
    std::abort();
}
