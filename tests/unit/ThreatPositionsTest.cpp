// The hand-made positions, searched in-process as the root decision would:
// request 8 for the side to move, then request 7 for the other side.
#include <gtest/gtest.h>

#include <string>

#include "core/Platform.h"
#include "rules/Renju.h"
#include "tests/unit/ThreatPositions.h"
#include "tests/unit/ThreatTestSupport.h"
#include "threat/ThreatSearch.h"

namespace quenvik {
namespace {

using test::ThreatPosition;

constexpr int kLineDirections[4][2] = {{0, 1}, {1, 0}, {1, -1}, {1, 1}};

// Stones of colour in a row through (x, y) along one direction.
int runLength(int x, int y, int dx, int dy, int32_t colour) {
  const int n = engine.boardSize;
  int length = 1;
  for (int sign : {1, -1}) {
    for (int a = x + sign * dx, b = y + sign * dy; a >= 0 && a < n && b >= 0 && b < n && engine.board[a][b] == colour;
         a += sign * dx, b += sign * dy) {
      ++length;
    }
  }
  return length;
}

// Empty cells where colour completes a five, counted stone by stone on
// engine.board: an independent check of the positions themselves.
std::vector<std::pair<int, int>> fivePoints(int32_t colour) {
  const bool exact = exactFive() || (renju() && colour == kBlack);
  std::vector<std::pair<int, int>> points;
  const int n = engine.boardSize;
  for (int x = 0; x < n; ++x) {
    for (int y = 0; y < n; ++y) {
      if (engine.board[x][y] != kEmpty) continue;
      engine.board[x][y] = colour;
      for (const auto& d : kLineDirections) {
        const int length = runLength(x, y, d[0], d[1], colour);
        if (exact ? length == 5 : length >= 5) {
          points.emplace_back(x, y);
          break;
        }
      }
      engine.board[x][y] = kEmpty;
    }
  }
  return points;
}

bool forbiddenOnBoard(int x, int y) {
  LineViews views;
  buildLineViews(views);
  return forbiddenKind(views, x, y) != 0;
}

// Replays the stated line: every attacker move is legal and answers any
// defender four, every non-final one leaves exactly one completion point,
// which the defender takes; the line ends with two points for the attacker,
// or with a block that is forbidden to Black. The board is restored.
void expectLineWins(const ThreatPosition& position, int32_t attacker) {
  const auto line = test::parseThreatCells(position.line);
  std::vector<std::pair<int, int>> placed;
  const auto place = [&](std::pair<int, int> cell, int32_t colour) {
    ASSERT_EQ(engine.board[cell.first][cell.second], kEmpty);
    engine.board[cell.first][cell.second] = colour;
    placed.push_back(cell);
  };
  if (line.empty()) {
    EXPECT_FALSE(fivePoints(attacker).empty()) << "no four on the board";
  }
  for (std::size_t i = 0; i < line.size(); ++i) {
    const bool attackerMove = i % 2 == 0;
    const int32_t colour = attackerMove ? attacker : -attacker;
    if (attackerMove) {
      const auto threats = fivePoints(-attacker);
      ASSERT_LE(threats.size(), 1u) << "the defender has two points before move " << i;
      if (!threats.empty()) {
        EXPECT_EQ(threats[0], line[i]) << "move " << i << " ignores the defender's four";
      }
      EXPECT_TRUE(fivePoints(attacker).empty()) << "a five was already there before move " << i;
    }
    place(line[i], colour);
    if (renju() && colour == kBlack) {
      const bool forbidden = forbiddenOnBoard(line[i].first, line[i].second);
      const bool finalBlock = !attackerMove && i + 1 == line.size();
      EXPECT_EQ(forbidden, finalBlock) << "move " << i;
    }
    if (!attackerMove) continue;
    const auto points = fivePoints(attacker);
    if (i + 1 == line.size()) {
      EXPECT_GE(points.size(), 2u) << "the last move leaves one point or none";
    } else {
      ASSERT_EQ(points.size(), 1u) << "move " << i;
      EXPECT_EQ(points[0], line[i + 1]) << "move " << i;
    }
  }
  if (!line.empty() && line.size() % 2 == 0) {
    EXPECT_TRUE(renju() && attacker == kWhite) << "only Black's blocks can be forbidden";
  }
  for (const auto& [x, y] : placed) engine.board[x][y] = kEmpty;
}

std::string describe(const char* label, int result) {
  const int n = engine.boardSize;
  if (result < n * n) {
    return std::string(label) + ": win " + std::to_string(moveRow(result, n)) + "," +
           std::to_string(moveColumn(result, n));
  }
  return std::string(label) + (result == n * n ? ": none (proven)" : ": none (undecided)");
}

void checkPosition(const ThreatPosition& position) {
  SCOPED_TRACE(position.name);
  test::setUpThreatBoard(position.size, position.rule, position.black, position.white);
  const int blackStones = static_cast<int>(test::parseThreatCells(position.black).size());
  const int whiteStones = static_cast<int>(test::parseThreatCells(position.white).size());
  ASSERT_TRUE(blackStones == whiteStones || blackStones == whiteStones + 1) << "not a position of a game";
  const int32_t toMove = sideToMove();
  ASSERT_EQ(toMove, blackStones == whiteStones ? kBlack : kWhite);
  if (position.line != nullptr) expectLineWins(position, toMove);

  const test::ThreatSnapshot before = test::takeThreatSnapshot();
  int own = 0;
  int other = 0;
  uint32_t rootWord = 0;
  bool rootStored = false;
  runOnSearchStack([&] {
    own = threatSearch(toMove, kOwnWinDepthLimit);
    rootStored = threatLookup(u"", rootWord);
    other = threatSearch(-toMove, kOpponentWinDepthLimit);
  });
  test::expectThreatStateUnchanged(before);
  EXPECT_EQ(describe("to-move", own), position.toMove);
  EXPECT_EQ(describe("other", other), position.other);
  ASSERT_TRUE(rootStored);
  EXPECT_EQ(static_cast<int>(rootWord >> 16), position.iteration) << "iteration";
  EXPECT_EQ(static_cast<int>(rootWord & 0xFFFF), own);
}

TEST(ThreatPositions, ForcedWinsByFoursAreFound) {
  static_assert(std::size(test::kThreatWins) >= 20);
  for (const ThreatPosition& position : test::kThreatWins) checkPosition(position);
}

TEST(ThreatPositions, PositionsWithoutSuchAWinAreProven) {
  static_assert(std::size(test::kThreatNoWins) >= 10);
  for (const ThreatPosition& position : test::kThreatNoWins) checkPosition(position);
}

}  // namespace
}  // namespace quenvik
