#include "stress/StressModel.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace quenvik::stress {

uint64_t Rng::next() {
  state += 0x9E3779B97F4A7C15ull;
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int Rng::uniform(int lo, int hi) {
  const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo + 1);
  return static_cast<int>(lo + static_cast<int64_t>(next() % span));
}

bool Rng::chance(int percent) { return uniform(0, 99) < percent; }

std::string Rng::printable(int length, bool anyByte) {
  std::string text;
  for (int i = 0; i < length; ++i) {
    const int c = anyByte ? uniform(1, 255) : uniform(32, 126);
    text.push_back(c == '\n' ? ' ' : static_cast<char>(c));
  }
  return text;
}

uint64_t gameSeed(uint64_t runSeed, int gameIndex) {
  Rng mixer{runSeed ^ (0xD1B54A32D192ED03ull * static_cast<uint64_t>(gameIndex + 1))};
  return mixer.next();
}

int64_t longestBudgetMs(const TimeSettings& settings) {
  const int64_t budget = int64_t{std::min(settings.timeLeft / 7, settings.turnTimeout)} - 100;
  return std::clamp<int64_t>(budget, INT_MIN, INT_MAX);
}

std::string infoLine(const std::string& key, int64_t value) { return "INFO " + key + " " + std::to_string(value); }

void applyInfo(TimeSettings& settings, RuleFlags& rules, const std::string& key, int64_t value) {
  if (value < INT_MIN || value > INT_MAX) return;  // unreadable to the engine
  const auto v = static_cast<int32_t>(value);
  if (key == "timeout_turn") settings.turnTimeout = v == 0 ? 200 : v;
  if (key == "timeout_match") settings.timeLeft = v == 0 ? 99999999 : v;
  if (key == "time_left") settings.timeLeft = v;
  const int32_t ruleBits = v & 13;
  if (key == "rule" && ruleBits != 5 && ruleBits != 12 && ruleBits != 13) {
    rules.exactFive = (ruleBits & 1) != 0;
    rules.renju = ruleBits == 4;
    rules.caro = (ruleBits & 8) != 0;
  }
}

bool Game::occupied(int cell) const { return std::find(order.begin(), order.end(), cell) != order.end(); }

int32_t Game::colourAt(int cell) const {
  const auto at = std::find(order.begin(), order.end(), cell);
  if (at == order.end()) return 0;
  return (at - order.begin()) % 2 == 0 ? 1 : -1;
}

namespace {

// The rows through the last move: each one's length and whether the
// opponent's stones stand just past both its ends.
struct Row {
  int length;
  bool flanked;
};

std::vector<Row> rowsThroughLastMove(const Game& game) {
  const int last = game.order.back();
  const int32_t colour = game.colourAt(last);
  const int x = last % kGridWidth, y = last / kGridWidth;
  constexpr int kSteps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  std::vector<Row> rows;
  for (const auto& step : kSteps) {
    Row row{1, true};
    for (int sign : {-1, 1}) {
      int cx = x + sign * step[0], cy = y + sign * step[1];
      while (cx >= 0 && cx < game.size && cy >= 0 && cy < game.size && game.colourAt(cx + kGridWidth * cy) == colour) {
        ++row.length;
        cx += sign * step[0];
        cy += sign * step[1];
      }
      const bool onBoard = cx >= 0 && cx < game.size && cy >= 0 && cy < game.size;
      row.flanked = row.flanked && onBoard && game.colourAt(cx + kGridWidth * cy) == -colour;
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

bool Game::lastMoveMadeFive() const {
  if (order.empty()) return false;
  for (const Row& row : rowsThroughLastMove(*this)) {
    if (row.length >= 5) return true;
  }
  return false;
}

bool Game::lastMoveEndsGame(const RuleFlags& moversRules) const {
  if (!moversRules.caro) return lastMoveMadeFive();
  if (order.empty()) return false;
  for (const Row& row : rowsThroughLastMove(*this)) {
    if (row.length == 5 && !row.flanked) return true;
    if (row.length > 5 && !moversRules.exactFive) return true;
  }
  return false;
}

std::vector<int> Game::emptyCells() const {
  std::vector<int> cells;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (!occupied(x + kGridWidth * y)) cells.push_back(x + kGridWidth * y);
    }
  }
  return cells;
}

std::vector<int> recordFromBlock(const std::vector<BlockStone>& stones) {
  const int own =
      static_cast<int>(std::count_if(stones.begin(), stones.end(), [](const BlockStone& s) { return s.own; }));
  const int opposing = static_cast<int>(stones.size()) - own;
  int ownOffset;
  if (own == opposing) {
    ownOffset = 0;
  } else if (own == opposing - 1) {
    ownOffset = 1;
  } else {
    return {};
  }
  std::vector<int> record(stones.size());
  int ownSeen = 0, opposingSeen = 0;
  for (const BlockStone& stone : stones) {
    if (stone.own) {
      record[2 * ownSeen++ + ownOffset] = stone.cell;
    } else {
      record[2 * opposingSeen++ + 1 - ownOffset] = stone.cell;
    }
  }
  return record;
}

std::vector<BlockStone> blockForMover(const Game& game, Rng& rng) {
  // The mover's colour is the one whose turn it is: Black after an even count.
  const int32_t moverColour = game.order.size() % 2 == 0 ? 1 : -1;
  std::vector<BlockStone> stones;
  for (std::size_t i = 0; i < game.order.size(); ++i) {
    const int32_t colour = i % 2 == 0 ? 1 : -1;
    stones.push_back({game.order[i], colour == moverColour});
  }
  for (std::size_t i = stones.size(); i > 1; --i) {
    std::swap(stones[i - 1], stones[static_cast<std::size_t>(rng.uniform(0, static_cast<int>(i) - 1))]);
  }
  return stones;
}

std::string junkLine(Rng& rng) {
  static const char* const kRefused[] = {
      "TURN 99,99",
      "TURN -1,0",
      "TURN a,b",
      "TURN 4294967296,1",
      "TURN 3 ,4",
      "RECTSTART 7,8",
      "RECTSTART 21,21",
      "INFO timeout_turn",
      "INFO timeout_turn abc",
      "INFO Timeout_turn 5",
      "INFO folder /tmp",
      "INFO max_node x1",
      "STARTX 15",
      "STAR 10",
      "BEGINNER",
      "turnx 1,1",
      "YXSTOP",
      "yxstop now",
      "INFO",
      "ENDX",
  };
  // A leading character that starts no command word.
  std::string line(1, rng.chance(50) ? '#' : '@');
  switch (rng.uniform(0, 6)) {
    case 0:
      line.append(rng.printable(rng.uniform(0, 60), false));
      return line;
    case 1:
      line.append(rng.printable(rng.uniform(100, 400), false));
      return line;  // past the line limit
    case 2:
      return {};
    case 3:
      return std::string(static_cast<std::size_t>(rng.uniform(1, 8)), ' ').append("\t");
    case 4:
      line.append(rng.printable(rng.uniform(0, 90), true));
      return line;
    default:
      return kRefused[rng.uniform(0, static_cast<int>(std::size(kRefused)) - 1)];
  }
}

std::string cellText(int cell) { return std::to_string(cell % kGridWidth) + "," + std::to_string(cell / kGridWidth); }

bool parseMoveLine(const std::string& line, int& x, int& y) {
  if (line.empty() || line.find_first_not_of("-0123456789,") != std::string::npos) return false;
  int consumed = 0;
  if (std::sscanf(line.c_str(), "%d,%d%n", &x, &y, &consumed) != 2) return false;
  return consumed == static_cast<int>(line.size());
}

}  // namespace quenvik::stress
