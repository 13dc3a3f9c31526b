// The threat line, its order-independent key and the result store.
#include <gtest/gtest.h>

#include "tests/unit/ThreatTestSupport.h"

namespace quenvik {
namespace {

std::u16string units(std::initializer_list<int> values) {
  std::u16string line;
  for (int v : values) line.push_back(static_cast<char16_t>(v));
  return line;
}

TEST(ThreatKey, SameStonesInAnotherOrderGiveTheSameKey) {
  // (a1, d1, a2, d2) against (a2, d2, a1, d1), and against the defender
  // replies exchanged.
  EXPECT_EQ(canonicalThreatKey(units({40, 41, 30, 31})), canonicalThreatKey(units({30, 31, 40, 41})));
  EXPECT_EQ(canonicalThreatKey(units({40, 41, 30, 31})), canonicalThreatKey(units({40, 31, 30, 41})));
  EXPECT_EQ(canonicalThreatKey(units({50, 9, 20, 70, 35, 15})), units({20, 9, 35, 15, 50, 70}));
}

TEST(ThreatKey, AttackerAndDefenderStonesStayApart) {
  EXPECT_NE(canonicalThreatKey(units({40, 41})), canonicalThreatKey(units({41, 40})));
  EXPECT_NE(canonicalThreatKey(units({40, 41, 30, 31})), canonicalThreatKey(units({40, 30, 41, 31})));
}

TEST(ThreatKey, SortsUnitsAsUnsignedAndKeepsShortLines) {
  EXPECT_EQ(canonicalThreatKey(units({})), units({}));
  EXPECT_EQ(canonicalThreatKey(units({7})), units({7}));
  EXPECT_EQ(canonicalThreatKey(units({0xFFFF, 2, 1, 3})), units({1, 2, 0xFFFF, 3}));
  // Ten units, the longest line of a depth-5 search, reversed.
  EXPECT_EQ(canonicalThreatKey(units({19, 18, 17, 16, 15, 14, 13, 12, 11, 10})),
            units({11, 10, 13, 12, 15, 14, 17, 16, 19, 18}));
}

TEST(ThreatKey, TheLineHoldsMoveNumberPlusBoardSize) {
  engine.boardSize = 20;
  clearThreatLine();
  appendThreatMove(0);
  appendThreatMove(399);
  EXPECT_EQ(engine.threatLine, units({20, 419}));
  appendThreatMove(21);
  appendThreatMove(22);
  removeLastThreatExchange();
  EXPECT_EQ(engine.threatLine, units({20, 419}));
  clearThreatLine();
  EXPECT_TRUE(engine.threatLine.empty());
}

TEST(ThreatKeyHash, FollowsTheUnitsTimesTheirCount) {
  const ThreatKeyHash hash;
  EXPECT_EQ(hash(units({})), 0u);
  EXPECT_EQ(hash(units({419})), 419u);
  EXPECT_EQ(hash(units({3, 4})), 2u * (5u * 3u + 4u));
  // h wraps at 32 bits but the count multiplies it in 64.
  EXPECT_EQ(hash(units({0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF})),
            std::size_t{8} * ((0xFFFFull * 97656ull) & 0xFFFFFFFFull));
  EXPECT_EQ(hash(std::u16string(10, char16_t{419})), std::size_t{10229491140ull});
}

TEST(ThreatStoreWords, LookupFindsOnlyWhatWasStoredAndStoringReplaces) {
  clearThreatStore();
  uint32_t word = 0;
  EXPECT_FALSE(threatLookup(units({}), word));
  threatRecord(units({}), 226 + (1u << 16));
  threatRecord(units({30, 31}), 12 + (2u << 16));
  threatRecord(units({30, 31}), 226 + (3u << 16));
  EXPECT_EQ(engine.threatStore.size(), 2u);
  ASSERT_TRUE(threatLookup(units({30, 31}), word));
  EXPECT_EQ(word, 226 + (3u << 16));
  ASSERT_TRUE(threatLookup(units({}), word));
  EXPECT_EQ(word, 226 + (1u << 16));
  EXPECT_FALSE(threatLookup(units({31, 30}), word));
  clearThreatStore();
  EXPECT_FALSE(threatLookup(units({}), word));
}

}  // namespace
}  // namespace quenvik
