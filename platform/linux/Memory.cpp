#include "platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace zelvo::platform {

void AdviseLargeFill(void* data, std::size_t size) {
    // Only whole large pages inside the block can change: the advice works
    // on pages, and the block's edges may share theirs with other memory.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (begin + size) & ~(kLargePage - 1);
    if (last <= first)
        return;
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace zelvo::platform
