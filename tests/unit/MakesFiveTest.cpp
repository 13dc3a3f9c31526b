// The five test every caller shares (the game's, the root's, the tool's)
// against a brute-force statement of each rule, on random positions of every
// board size.
#include <gtest/gtest.h>

#include <random>

#include "core/EngineState.h"
#include "rules/LineReading.h"

namespace quenvik {
namespace {

constexpr int kSteps[kDirections][2] = {{0, 1}, {1, 0}, {1, 1}, {1, -1}};

bool onBoard(int a, int b, int n) { return a >= 0 && a < n && b >= 0 && b < n; }

// A stone of colour on (a, b) wins when a row through it is five long (or
// longer, where six or more wins), unless under Caro it is exactly five and
// the cells past both its ends hold the opponent's stones.
bool winsByRule(const int32_t (*board)[kGridWidth], int n, Rule rule, int32_t colour, int a, int b) {
  const bool exact = exactFive(rule) || (renju(rule) && colour == kBlack);
  for (const auto& step : kSteps) {
    int run = 1;
    int flankingStones = 0;
    for (const int sign : {-1, 1}) {
      int ra = a + sign * step[0], rb = b + sign * step[1];
      while (onBoard(ra, rb, n) && board[ra][rb] == colour) {
        ++run;
        ra += sign * step[0];
        rb += sign * step[1];
      }
      flankingStones += onBoard(ra, rb, n) && board[ra][rb] == -colour;
    }
    if (caro(rule) && run == 5 && flankingStones == 2) continue;
    if (exact ? run == 5 : run >= 5) return true;
  }
  return false;
}

TEST(MakesFive, AgreesWithTheRuleOnRandomPositionsOfEverySize) {
  std::mt19937 random(1732);
  int fives = 0, flankedFives = 0;
  for (const Rule rule : kAllRules) {
    for (int n = kMinBoardSize; n <= kMaxBoardSize; ++n) {
      for (int position = 0; position < 40; ++position) {
        // Crowded boards with long rows of one colour, so fives are common.
        int32_t board[kGridWidth][kGridWidth] = {};
        const unsigned emptyTenths = 2 + random() % 5;
        for (int a = 0; a < n; ++a) {
          for (int b = 0; b < n; ++b) {
            const unsigned r = random() % 10;
            board[a][b] = r < emptyTenths ? kEmpty : r % 3 == 0 ? kWhite : kBlack;
          }
        }
        for (int a = 0; a < n; ++a) {
          for (int b = 0; b < n; ++b) {
            if (board[a][b] != kEmpty) continue;
            for (const int32_t colour : {kBlack, kWhite}) {
              const bool expected = winsByRule(board, n, rule, colour, a, b);
              ASSERT_EQ(makesFiveOn(board, n, rule, colour, a, b), expected)
                  << ruleName(rule) << " n=" << n << " cell " << a << "," << b << " colour " << colour;
              fives += expected;
              board[a][b] = colour;
              flankedFives += caro(rule) && !expected && winsByRule(board, n, Rule::ExactFive, colour, a, b);
              board[a][b] = kEmpty;
            }
          }
        }
      }
    }
  }
  // The positions hold both kinds of Caro five.
  EXPECT_GT(fives, 1000);
  EXPECT_GT(flankedFives, 100);
}

}  // namespace
}  // namespace quenvik
