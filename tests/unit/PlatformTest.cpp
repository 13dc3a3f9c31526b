// The platform seam: zeroing a large block.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Platform.h"

namespace quenvik {
namespace {

constexpr std::size_t kPage = 4096;
constexpr unsigned char kGuard = 0xA5;

std::size_t countNonZero(const unsigned char* begin, std::size_t size) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < size; ++i) count += begin[i] != 0;
  return count;
}

// Blocks that start and end inside a page, on page edges, and within one
// page: every byte inside ends zero, every byte outside keeps its value
// (pages handed back must not reach past the block).
TEST(ZeroLargeBlock, ZeroesExactlyTheBlockWhateverItsEdges) {
  struct Case {
    std::size_t offset;
    std::size_t size;
  };
  const Case cases[] = {{0, 8 * kPage}, {1, 8 * kPage},         {kPage - 1, 5 * kPage + 2},
                        {17, 100},      {kPage, 2 * kPage - 3}, {5, 0}};
  for (const Case& c : cases) {
    std::vector<unsigned char> arena(16 * kPage, kGuard);
    unsigned char* const aligned =
        reinterpret_cast<unsigned char*>((reinterpret_cast<std::uintptr_t>(arena.data()) + kPage - 1) / kPage * kPage);
    unsigned char* const block = aligned + c.offset;
    zeroLargeBlock(block, c.size);
    EXPECT_EQ(countNonZero(block, c.size), 0u) << c.offset << "+" << c.size;
    std::size_t changedOutside = 0;
    for (unsigned char* p = arena.data(); p < arena.data() + arena.size(); ++p) {
      if (p < block || p >= block + c.size) changedOutside += *p != kGuard;
    }
    EXPECT_EQ(changedOutside, 0u) << c.offset << "+" << c.size;
  }
}

// Pages handed back read as zero again when written and cleared once more.
TEST(ZeroLargeBlock, ABlockClearedTwiceReadsZeroAfterEachUse) {
  std::vector<unsigned char> arena(64 * kPage);
  for (int round = 0; round < 2; ++round) {
    std::memset(arena.data(), round + 1, arena.size());
    zeroLargeBlock(arena.data(), arena.size());
    EXPECT_EQ(countNonZero(arena.data(), arena.size()), 0u) << round;
  }
}

}  // namespace
}  // namespace quenvik
