#include "core/MemoryPages.h"

#include <cstdint>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace quenvik {

#if defined(__unix__) && defined(MADV_HUGEPAGE)

void adviseHugePages(void* begin, std::size_t bytes) {
  // Advice works on whole pages: keep to the ones inside the block.
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t last = (start + bytes) / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

#else

void adviseHugePages(void*, std::size_t) {}

#endif

}  // namespace quenvik
