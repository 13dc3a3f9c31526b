// Whole games: two engine processes play each other to the end, and every
// move is checked as a referee would check it.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

constexpr int kSize = 15;

enum class Rule { Freestyle, Exact, Renju, Caro, CaroExact };

struct Board {
  std::array<std::array<int, kSize>, kSize> cell{};  // [x][y]: 1 Black, -1 White

  // The run of `colour` through (x, y) along (dx, dy): its length, and
  // whether the opponent's stones stand just past both its ends.
  struct Run {
    int length = 1;
    bool flanked = true;
  };
  Run runThrough(int x, int y, int dx, int dy, int colour) const {
    Run run;
    for (int sign : {-1, 1}) {
      for (int k = 1;; ++k) {
        const int cx = x + sign * k * dx, cy = y + sign * k * dy;
        const bool onBoard = cx >= 0 && cx < kSize && cy >= 0 && cy < kSize;
        if (!onBoard || cell[cx][cy] != colour) {
          run.flanked = run.flanked && onBoard && cell[cx][cy] == -colour;
          break;
        }
        ++run.length;
      }
    }
    return run;
  }

  // Whether the stone just placed on (x, y) wins under the rule.
  bool wins(int x, int y, Rule rule) const {
    const int colour = cell[x][y];
    const bool exact = rule == Rule::Exact || rule == Rule::CaroExact || (rule == Rule::Renju && colour == 1);
    const bool caro = rule == Rule::Caro || rule == Rule::CaroExact;
    const int directions[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto& d : directions) {
      const Run run = runThrough(x, y, d[0], d[1], colour);
      if (caro && run.length == 5 && run.flanked) continue;
      if (exact ? run.length == 5 : run.length >= 5) return true;
    }
    return false;
  }
};

std::string movesText(const std::vector<std::string>& moves) {
  std::string text;
  for (const auto& m : moves) text += m + " ";
  return text;
}

// Black's forbidden cells under Renju, as the analysis tool lists them.
std::set<std::string> forbiddenCells(const std::vector<std::string>& moves) {
  const ProcessResult result =
      runTool({"forbidden", "--size", std::to_string(kSize), "--rule", "renju", "--moves", movesText(moves)});
  EXPECT_EQ(result.status, 0) << result.err;
  std::set<std::string> cells;
  std::istringstream lines(result.out);
  std::string cell, kind;
  while (lines >> cell >> kind) cells.insert(cell);
  return cells;
}

void playGame(Rule rule, int ruleValue) {
  EngineSession black, white;
  for (EngineSession* engine : {&black, &white}) {
    engine->start(kSize);
    engine->send("INFO rule " + std::to_string(ruleValue));
    engine->send("INFO max_node 1500");
  }
  Board board;
  std::vector<std::string> moves;
  black.send("BEGIN");
  for (int ply = 0; ply < kSize * kSize; ++ply) {
    EngineSession& mover = ply % 2 == 0 ? black : white;
    const int colour = ply % 2 == 0 ? 1 : -1;
    std::set<std::string> forbidden;
    if (rule == Rule::Renju && colour == 1) forbidden = forbiddenCells(moves);
    const std::string reply = mover.move();
    ASSERT_TRUE(isMoveLine(reply)) << "ply " << ply << ": " << reply << " after " << movesText(moves);
    int x = -1, y = -1;
    ASSERT_EQ(std::sscanf(reply.c_str(), "%d,%d", &x, &y), 2);
    ASSERT_TRUE(x >= 0 && x < kSize && y >= 0 && y < kSize) << reply;
    ASSERT_EQ(board.cell[x][y], 0) << "occupied " << reply << " after " << movesText(moves);
    const int empties = kSize * kSize - static_cast<int>(moves.size());
    if (static_cast<int>(forbidden.size()) < empties) {
      ASSERT_EQ(forbidden.count(reply), 0u) << "forbidden " << reply << " after " << movesText(moves);
    }
    board.cell[x][y] = colour;
    moves.push_back(reply);
    if (board.wins(x, y, rule)) {
      for (EngineSession* engine : {&black, &white}) {
        engine->send("END");
        EXPECT_EQ(engine->waitExit(), 0);
      }
      return;
    }
    (ply % 2 == 0 ? white : black).send("TURN " + reply);
  }
  FAIL() << "the board filled without a five: " << movesText(moves);
}

TEST(SelfPlay, FreestyleGameEndsWithAFive) { playGame(Rule::Freestyle, 0); }
TEST(SelfPlay, ExactFiveGameEndsWithAFive) { playGame(Rule::Exact, 1); }
TEST(SelfPlay, RenjuGameEndsWithAFiveAndNoForbiddenMove) { playGame(Rule::Renju, 4); }
TEST(SelfPlay, CaroGameEndsWithAFiveThatWinsUnderCaro) { playGame(Rule::Caro, 8); }
TEST(SelfPlay, StandardCaroGameEndsWithAFiveThatWinsUnderCaro) { playGame(Rule::CaroExact, 9); }

}  // namespace
}  // namespace quenvik::test
