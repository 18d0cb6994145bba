#include "platform/prefault.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace tcn {

void PrefaultForWriting(void* block, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
    static const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + pageSize - 1) / pageSize * pageSize;
    const std::uintptr_t last = (begin + size) / pageSize * pageSize;
    // Fails harmlessly (and is ignored) on a kernel without it.
    if (first < last) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
    (void)block;
    (void)size;
#endif
}

} // namespace tcn
