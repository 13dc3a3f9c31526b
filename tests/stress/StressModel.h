// The referee's own bookkeeping: its random numbers, what each engine has
// been told, the game between them, and the lines it sends.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quenvik::stress {

constexpr int kGridWidth = 20;  // CellIndex = x + 20*y, as the engine's record holds moves

// splitmix64: the same numbers on every platform, so a seed replays a game.
struct Rng {
  uint64_t state;
  uint64_t next();
  int uniform(int lo, int hi);  // lo..hi inclusive
  bool chance(int percent);
  std::string printable(int length, bool anyByte);
};

uint64_t gameSeed(uint64_t runSeed, int gameIndex);

// The time settings as an engine stores them, and the longest a decision
// may take under them: min(timeLeft / 7, turnTimeout) - 100, held in range.
struct TimeSettings {
  int32_t timeLeft = 30000000;
  int32_t turnTimeout = 30000000;
};
int64_t longestBudgetMs(const TimeSettings& settings);

// The rule flags as an engine stores them: INFO rule takes value AND 13 (1
// exact five, 4 Renju, 8 Caro; 5, 12 and 13 name two rules at once: no
// change); START and RECTSTART clear exact five only.
struct RuleFlags {
  bool exactFive = false;
  bool renju = false;
  bool caro = false;
};

// One INFO line and what it does to the time settings and rule flags.
std::string infoLine(const std::string& key, int64_t value);
void applyInfo(TimeSettings& settings, RuleFlags& rules, const std::string& key, int64_t value);

// A position as a list of CellIndex moves; entry i is Black's when i is even.
struct Game {
  int size = 15;
  std::vector<int> order;

  bool occupied(int cell) const;
  int32_t colourAt(int cell) const;  // +1, -1 or 0
  bool full() const { return static_cast<int>(order.size()) >= size * size; }
  // Five or more in a row through the last move.
  bool lastMoveMadeFive() const;
  // The game is over after the last move: five or more in a row through it,
  // but under Caro not a row of exactly five between two of the opponent's
  // stones (the edge does not block), and under standard Caro not six.
  bool lastMoveEndsGame(const RuleFlags& moversRules) const;
  std::vector<int> emptyCells() const;
};

// The record an engine builds from a BOARD block of these stones, in the
// order sent; empty when the counts fit neither side (the engine refuses).
struct BlockStone {
  int cell;
  bool own;
};
std::vector<int> recordFromBlock(const std::vector<BlockStone>& stones);

// A BOARD block for the engine whose turn it is in `game`, stones in a
// random order.
std::vector<BlockStone> blockForMover(const Game& game, Rng& rng);

// A line no engine may take for a command: it answers nothing, or one ERROR
// line when idle.
std::string junkLine(Rng& rng);

std::string cellText(int cell);  // "x,y"
bool parseMoveLine(const std::string& line, int& x, int& y);

}  // namespace quenvik::stress
