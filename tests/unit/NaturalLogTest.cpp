// The log table that keeps the search's depth reduction independent of the
// C library, against the C library it replaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "AI/AIx.h"
#include "AI/NaturalLog.h"

namespace quenvik {
namespace {

// The table replaces the C library's log; on Linux it must be the same bits
// for every number of moves a board can have, so no search changes.
TEST(NaturalLog, TableEqualsTheCLibraryBitForBit) {
  for (int k = 1; k <= kNaturalLogMax; ++k) {
    const double table = naturalLog(k);
    const double library = std::log(static_cast<double>(k));
    EXPECT_EQ(std::memcmp(&table, &library, sizeof table), 0) << k << ": " << table << " vs " << library;
  }
}

TEST(NaturalLog, BaseReductionKeepsTheLibraryValues) {
  constexpr double kWeight = 0.9;  // the search's reduction weight
  for (int moves = 1; moves <= kNaturalLogMax; ++moves) {
    const double expected =
        std::max(0.0, (1.0 - kWeight) + kWeight * std::log(static_cast<double>(moves)) / std::log(60.0));
    EXPECT_EQ(baseReduction(moves, 60), expected) << moves;
  }
}

}  // namespace
}  // namespace quenvik
