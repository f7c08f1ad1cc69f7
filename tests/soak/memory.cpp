#include "memory.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SOAK_ASAN 1
#endif

#ifdef SOAK_ASAN
#include <sanitizer/allocator_interface.h>
#endif

namespace soak {

std::size_t LiveHeapBytes() {
#ifdef SOAK_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

std::size_t PeakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

}  // namespace soak
