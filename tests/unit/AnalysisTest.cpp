#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "AI/PositionTable.h"
#include "think/Analysis.h"

namespace quenvik {
namespace {

// The table size rule stated plainly: the largest power of two from 2^12 to
// 2^23 buckets whose bytes fit every cap, the smallest when none fits.
TEST(TableCaps, LargestPowerOfTwoThatFitsBothCaps) {
  for (int64_t hashKiB : {int64_t{0}, int64_t{1}, int64_t{100}, int64_t{65536}, int64_t{300000}, int64_t{1} << 30}) {
    for (int64_t memory = 0; memory < (int64_t{1} << 31); memory = memory * 3 + 1234567) {
      const std::size_t buckets = tableBucketsFor(hashKiB, memory);
      const int64_t bytes = static_cast<int64_t>(buckets * sizeof(TableBucket));
      int64_t allowed = static_cast<int64_t>(kTableBytes);
      if (hashKiB > 0) allowed = std::min(allowed, hashKiB * 1024);
      if (memory > 0) allowed = std::min(allowed, memory - int64_t{kProcessReserveBytes});
      EXPECT_TRUE(std::has_single_bit(buckets));
      EXPECT_GE(buckets, kMinTableBuckets);
      EXPECT_LE(buckets, kTableBuckets);
      if (buckets > kMinTableBuckets) {
        EXPECT_LE(bytes, allowed) << hashKiB << " " << memory;
      }
      if (buckets < kTableBuckets) {
        EXPECT_GT(2 * bytes, allowed) << hashKiB << " " << memory;
      }
    }
  }
}

TEST(TableCaps, TournamentLimitsKeepTheFullTable) {
  EXPECT_EQ(tableBucketsFor(0, 350000000), kTableBuckets);  // Gomocup's 350 MB
  EXPECT_EQ(tableBucketsFor(0, 367001600), kTableBuckets);  // the match runner's default
  EXPECT_EQ(tableBucketsFor(0, 300 << 20), kTableBuckets);
  EXPECT_EQ(tableBucketsFor(0, 0), kTableBuckets);
  EXPECT_EQ(tableBucketsFor(262144, 0), kTableBuckets);           // the GUI's 256 MiB
  EXPECT_EQ(tableBucketsFor(0, 64000000), std::size_t{1} << 20);  // 32 MiB
}

TEST(AnalysisWords, WinRateIsMonotoneAndDecidedScoresAreCertain) {
  EXPECT_DOUBLE_EQ(winRate(0), 0.5);
  EXPECT_DOUBLE_EQ(winRate(kDecidedScore), 1.0);
  EXPECT_DOUBLE_EQ(winRate(-kDecidedScore), 0.0);
  for (int score = -kDecidedScore + 1; score < kDecidedScore - 1; score += 7) {
    EXPECT_LE(winRate(score), winRate(score + 1));
    EXPECT_NEAR(winRate(score) + winRate(-score), 1.0, 1e-12);
  }
}

TEST(AnalysisWords, MovesToFiveInvertsTheDecidedScore) {
  for (int moves = 1; moves <= 40; ++moves) {
    EXPECT_EQ(movesToFive(scoreOfWinIn(moves)), moves);
    EXPECT_EQ(movesToFive(-scoreOfWinIn(moves)), moves);
  }
  // The loser's view of a five at ply 1 (the opponent's first move).
  EXPECT_EQ(movesToFive(-(kWinScore - 1)), 1);
}

}  // namespace
}  // namespace quenvik
