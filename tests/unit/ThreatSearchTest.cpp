// The threat prover and its root form with iterative deepening.
#include <gtest/gtest.h>

#include <string>

#include "core/Platform.h"
#include "rules/Renju.h"
#include "tests/unit/ThreatPositions.h"
#include "tests/unit/ThreatTestSupport.h"
#include "threat/ThreatSearch.h"

namespace quenvik {
namespace {

using test::cellOf;
using test::setUpThreatBoard;

int proven() { return engine.boardSize * engine.boardSize; }
int undecided() { return proven() + 1; }

// Root form, checking that nothing it must keep has changed.
int rootSearch(int32_t attacker, int request) {
  const test::ThreatSnapshot before = test::takeThreatSnapshot();
  int result = 0;
  runOnSearchStack([&] { result = threatSearch(attacker, threatDepthLimit(request)); });
  test::expectThreatStateUnchanged(before);
  return result;
}

// Node form on the current threatBoard and threatLine, likewise.
int nodeSearch(int32_t attacker, int depth) {
  const test::ThreatSnapshot before = test::takeThreatSnapshot();
  int result = 0;
  runOnSearchStack([&] { result = threatSearchNode(attacker, depth); });
  test::expectThreatStateUnchanged(before);
  return result;
}

// The word the root node stored: its outcome and the depth of the last
// iteration that ran.
uint32_t rootEntry() {
  uint32_t word = 0;
  EXPECT_TRUE(threatLookup(u"", word)) << "no entry for the root";
  return word;
}
int lastIteration() { return static_cast<int>(rootEntry() >> 16); }

// Rows 2..5: 2,6 closes a row four and a column four (a double four).
// Row 12: the open three 12,5 12,6 12,7.
constexpr const char* kDoubleFourEarly = "2,3 2,4 2,5 3,6 4,6 5,6";
constexpr const char* kDoubleFourEarlyWhite = "2,2 6,6";

TEST(ThreatEntry, SwitchedOffFindsNothingForAnyRequest) {
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6", "0,0 0,14 7,2 14,0");
  engine.threatSearchOn = 0;
  for (int request : {0, 1, 2, 4, 7, 8}) EXPECT_EQ(rootSearch(kBlack, request), undecided()) << request;
  EXPECT_EQ(nodeSearch(kBlack, 3), undecided());
  EXPECT_TRUE(engine.threatStore.empty());
  engine.threatSearchOn = 1;
  EXPECT_EQ(rootSearch(kBlack, 8), cellOf(7, 7));
}

TEST(ThreatEntry, RequestZeroSearchesNothing) {
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6", "0,0 0,14 7,2 14,0");
  threatRecord(u"\x33", 5);  // left alone: the store is not even emptied
  for (int request : {0, -3}) {
    engine.threatComplete = 1;
    EXPECT_EQ(rootSearch(kBlack, request), undecided()) << request;
    EXPECT_EQ(engine.threatComplete, 0) << request;
    EXPECT_EQ(engine.threatStore.size(), 1u);
  }
}

TEST(ThreatEntry, AStopRequestEndsEveryCallAndMarksTheSearchAborted) {
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6", "0,0 0,14 7,2 14,0");
  engine.stopFlag = 1;
  EXPECT_EQ(rootSearch(kBlack, 8), undecided());
  EXPECT_EQ(engine.searchAborted.load(), 1);
  engine.searchAborted = 0;
  EXPECT_EQ(nodeSearch(kBlack, 2), undecided());
  EXPECT_EQ(engine.searchAborted.load(), 1);
  // Once aborted, calls return at once even without the stop flag.
  engine.stopFlag = 0;
  EXPECT_EQ(rootSearch(kBlack, 8), undecided());
  EXPECT_EQ(nodeSearch(kBlack, 2), undecided());
  EXPECT_TRUE(engine.threatStore.empty());
  engine.searchAborted = 0;
}

TEST(ThreatEntry, EachRequestBoundsTheIterations) {
  // The five-step ladder: every iteration below 5 is cut off somewhere.
  const test::ThreatPosition& ladder = test::kThreatWins[5];
  ASSERT_STREQ(ladder.name, "FreeLadderFive");
  setUpThreatBoard(ladder.size, ladder.rule, ladder.black, ladder.white);
  EXPECT_EQ(rootSearch(kBlack, 8), cellOf(2, 4));
  EXPECT_EQ(lastIteration(), 5);
  for (int request : {7, 6, 5, 4, 3, 2, 1}) {
    EXPECT_EQ(rootSearch(kBlack, request), undecided()) << request;
    EXPECT_EQ(lastIteration(), std::min(request, 4)) << request;
  }
  // The three-step ladder needs three iterations.
  const test::ThreatPosition& shorter = test::kThreatWins[3];
  ASSERT_STREQ(shorter.name, "FreeLadderThree");
  setUpThreatBoard(shorter.size, shorter.rule, shorter.black, shorter.white);
  EXPECT_EQ(rootSearch(kBlack, 2), undecided());
  EXPECT_EQ(rootSearch(kBlack, 3), cellOf(6, 8));
  EXPECT_EQ(lastIteration(), 3);
}

TEST(ThreatEntry, NoForcingMoveIsProvenAfterOneIteration) {
  setUpThreatBoard(15, "freestyle", "7,7 7,8 3,3", "8,8 9,9 2,12");
  engine.threatComplete = 0;
  EXPECT_EQ(rootSearch(kBlack, 8), proven());
  EXPECT_EQ(engine.threatComplete, 1);
  EXPECT_EQ(engine.threatStore.size(), 1u);
  EXPECT_EQ(rootEntry(), static_cast<uint32_t>(proven()) + (1u << 16));
}

TEST(ThreatEntry, EachRootCallStartsWithAnEmptyStore) {
  setUpThreatBoard(15, "freestyle", "2,2 2,3 2,4 10,10 11,10 12,10", "0,0 0,14 2,1 13,10 14,0 14,14");
  threatRecord(u"\x100\x101", 7);
  engine.threatLine = u"\x40\x41";  // a stale line is replaced, not extended
  const int result = [] {
    int r = 0;
    runOnSearchStack([&] { r = threatSearch(kBlack, kOwnWinDepthLimit); });
    return r;
  }();
  EXPECT_EQ(result, proven());
  EXPECT_TRUE(engine.threatLine.empty());
  uint32_t word = 0;
  EXPECT_FALSE(threatLookup(u"\x100\x101", word));
  // Transposed lines share one entry: every stored key is canonical.
  EXPECT_GT(engine.threatStore.size(), 1u);
  for (const auto& [key, stored] : engine.threatStore) EXPECT_EQ(key, canonicalThreatKey(key));
}

TEST(ThreatProver, AnAttackerFourWinsAtAnyDepthEvenAgainstADefenderFour) {
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6 0,0", "7,2 1,9 2,9 3,9 4,9");
  for (int depth : {1, 4}) {
    clearThreatStore();
    EXPECT_EQ(nodeSearch(kWhite, depth), cellOf(5, 9)) << depth;
    clearThreatStore();
    EXPECT_EQ(nodeSearch(kBlack, depth), cellOf(7, 7)) << depth;
  }
  // The node stored its answer with its depth.
  EXPECT_EQ(rootEntry(), static_cast<uint32_t>(cellOf(7, 7)) + (4u << 16));
}

TEST(ThreatProver, ADoubleFourNeedsDepthTwoAStraightFourDepthOne) {
  setUpThreatBoard(15, "freestyle", kDoubleFourEarly, kDoubleFourEarlyWhite);
  engine.threatComplete = 1;
  EXPECT_EQ(nodeSearch(kBlack, 1), undecided());
  EXPECT_EQ(engine.threatComplete, 0);  // the double four's child was cut off
  clearThreatStore();
  EXPECT_EQ(nodeSearch(kBlack, 2), cellOf(2, 6));
  setUpThreatBoard(15, "freestyle", "12,5 12,6 12,7", "0,0 0,14 14,0");
  EXPECT_EQ(nodeSearch(kBlack, 1), cellOf(12, 4));
  EXPECT_EQ(engine.threatComplete, 1);
}

TEST(ThreatProver, AStraightFourBeatsAFourEarlierInScanOrder) {
  std::string black = std::string(kDoubleFourEarly) + " 12,5 12,6 12,7";
  setUpThreatBoard(15, "freestyle", black.c_str(), "2,2 6,6 0,14 14,0 14,14");
  EXPECT_EQ(nodeSearch(kBlack, 2), cellOf(12, 4));
}

TEST(ThreatProver, TheFirstWinnerInRowMajorOrderIsReturned) {
  // Column 10's three is met at row 3, before row 5's three at column 2,
  // although 5,2 has the smaller MoveNumber.
  setUpThreatBoard(15, "freestyle", "4,10 5,10 6,10 5,3 5,4 5,5", "0,0 0,14 14,0 14,14 9,9 11,11");
  ASSERT_LT(cellOf(5, 2), cellOf(3, 10));
  EXPECT_EQ(nodeSearch(kBlack, 1), cellOf(3, 10));
}

TEST(ThreatProver, ADefenderFourAllowsOnlyTheBlock) {
  // Black's open three would win, but White's four must be blocked at 5,2.
  setUpThreatBoard(15, "freestyle", "0,2 7,5 7,6 7,7", "1,2 2,2 3,2 4,2");
  EXPECT_EQ(nodeSearch(kBlack, 3), proven());
  // The block itself may make the straight four.
  setUpThreatBoard(15, "freestyle", "0,2 5,3 5,4 5,5", "1,2 2,2 3,2 4,2");
  EXPECT_EQ(nodeSearch(kBlack, 1), cellOf(5, 2));
}

TEST(ThreatProver, ADefenderWithTwoPointsIsNotAttacked) {
  setUpThreatBoard(15, "freestyle", "0,0 7,5 7,6 7,7", "10,4 10,5 10,6 10,7");
  EXPECT_EQ(nodeSearch(kBlack, 3), proven());
  EXPECT_EQ(engine.threatStore.size(), 1u);  // no child was searched
}

TEST(ThreatProver, StoredWordsAnswerTheNodeAsTheyShould) {
  // Black could complete five at once; only the store keeps it from that.
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 7,6", "0,0 0,14 7,2 14,0");
  const uint32_t decided = static_cast<uint32_t>(proven()) + (3u << 16);
  threatRecord(u"", decided);
  EXPECT_EQ(nodeSearch(kBlack, 2), static_cast<int>(decided));  // returned unchanged
  const uint32_t cutOff = static_cast<uint32_t>(undecided()) + (2u << 16);
  threatRecord(u"", cutOff);
  EXPECT_EQ(nodeSearch(kBlack, 2), undecided());  // same depth: not searched again
  EXPECT_EQ(rootEntry(), cutOff);
  EXPECT_EQ(nodeSearch(kBlack, 3), cellOf(7, 7));  // another depth: searched
  EXPECT_EQ(rootEntry(), static_cast<uint32_t>(cellOf(7, 7)) + (3u << 16));
}

TEST(ThreatProver, TheNodeKeepsTheLineItWasGiven) {
  setUpThreatBoard(15, "freestyle", "2,2 2,3 2,4 10,10 11,10 12,10", "0,0 0,14 2,1 13,10 14,0 14,14");
  engine.threatLine = u"\x90\x91";
  EXPECT_EQ(nodeSearch(kBlack, 3), proven());
  uint32_t word = 0;
  EXPECT_TRUE(threatLookup(u"\x90\x91", word));
  EXPECT_FALSE(threatLookup(u"", word));
}

TEST(ThreatProver, RenjuForbiddenPointsDecideBothWays) {
  // White's four 4,5..7,5 can only be blocked on 3,5, where Black makes six.
  setUpThreatBoard(15, "renju", "2,5 3,3 3,4 3,6 3,7 3,8 8,5", "0,0 0,14 4,5 5,5 6,5 14,0 7,5");
  ASSERT_NE(forbiddenKind(engine.threatBoard, 3, 5), 0) << "needs the Renju forbidden-move test";
  EXPECT_EQ(nodeSearch(kBlack, 2), proven());  // Black cannot block: no win
  // Black's double four 7,6 is not a move; under free-style it wins.
  setUpThreatBoard(15, "renju", "7,3 7,4 7,5 8,6 9,6 10,6", "0,0 0,14 7,2 11,6 14,0 14,14");
  EXPECT_EQ(nodeSearch(kBlack, 2), proven());
  setUpThreatBoard(15, "freestyle", "7,3 7,4 7,5 8,6 9,6 10,6", "0,0 0,14 7,2 11,6 14,0 14,14");
  EXPECT_EQ(nodeSearch(kBlack, 2), cellOf(7, 6));
}

}  // namespace
}  // namespace quenvik
