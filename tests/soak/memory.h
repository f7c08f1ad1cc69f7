#pragma once
// What the process holds in memory, sampled as the soak goes.

#include <cstddef>

namespace soak {

// Bytes the program has allocated and not freed. Under AddressSanitizer, its allocator's own
// count (freed blocks it holds back in quarantine excluded); otherwise the C library's.
std::size_t LiveHeapBytes();
// Resident set size now, and the largest it has been.
std::size_t ResidentBytes();
std::size_t PeakResidentBytes();

}  // namespace soak
