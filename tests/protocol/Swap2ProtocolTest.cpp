// The Swap2 opening through the real engine, as the tournament's referee
// drives it: SWAP2BOARD with no stones, three and five, refused blocks, a stop
// during the decision, and the game going on after the opening.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

using Stones = std::vector<std::string>;  // "x,y" in playing order

// Scores within this margin count as balanced (the README's rule).
constexpr int kBalancedMargin = 5;

const std::regex kScoredLine(R"(^MESSAGE Swap2 ((?:\d+,\d+ )*\d+,\d+) scores (-?\d+) for White at depth \d+$)");
const std::string kRefusal = "ERROR SWAP2BOARD wants 0, 3 or 5 stones on distinct cells of the board.";

Stones words(const std::string& text) {
  std::istringstream in(text);
  Stones out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

struct Scored {
  Stones position;
  int whiteScore;
};

// One SWAP2BOARD decision: the answer, and the positions the engine said it
// scored on the way.
struct Swap2Result {
  bool swap = false;
  Stones stones;
  std::vector<Scored> scored;
};

void sendBlock(EngineSession& engine, const Stones& block) {
  engine.send("SWAP2BOARD");
  for (const auto& stone : block) engine.send(stone);
  engine.send("DONE");
}

// SWAP, or stones with one blank between them and nothing else on the line.
const std::regex kAnswerLine(R"(^(SWAP|\d+,\d+( \d+,\d+)*)$)");

Swap2Result readAnswer(const std::string& answer, const std::vector<std::string>& messages) {
  Swap2Result result;
  for (const auto& line : messages) {
    std::smatch match;
    if (std::regex_match(line, match, kScoredLine)) result.scored.push_back({words(match[1]), std::stoi(match[2])});
  }
  EXPECT_TRUE(std::regex_match(answer, kAnswerLine)) << answer;
  result.swap = answer == "SWAP";
  if (!result.swap) result.stones = words(answer);
  return result;
}

Swap2Result swap2(EngineSession& engine, const Stones& block) {
  sendBlock(engine, block);
  std::vector<std::string> messages;
  const std::string answer = engine.move(&messages);
  return readAnswer(answer, messages);
}

bool onBoard(const std::string& stone, int size) {
  int x = -1, y = -1;
  return std::sscanf(stone.c_str(), "%d,%d", &x, &y) == 2 && x >= 0 && x < size && y >= 0 && y < size;
}

// The protocol's three cases: three stones on an empty block; after three,
// SWAP or one or two stones; after five, SWAP or one stone. Every stone on an
// empty cell of the board.
void expectLegal(const Swap2Result& result, const Stones& block, int size) {
  const std::size_t placed = result.stones.size();
  if (block.empty()) {
    EXPECT_FALSE(result.swap);
    EXPECT_EQ(placed, 3u);
  } else if (result.swap) {
    EXPECT_EQ(placed, 0u);
  } else {
    EXPECT_TRUE(block.size() == 3 ? placed == 1 || placed == 2 : placed == 1) << placed;
  }
  std::set<std::string> taken(block.begin(), block.end());
  for (const auto& stone : result.stones) {
    EXPECT_TRUE(onBoard(stone, size)) << stone;
    EXPECT_TRUE(taken.insert(stone).second) << stone << " is taken";
  }
}

// The record holds `count` moves: as many takebacks succeed, then one fails.
void expectRecordLength(EngineSession& engine, int count) {
  for (int i = 0; i < count; ++i) {
    engine.send("TAKEBACK");
    ASSERT_EQ(engine.next(), "OK") << "takeback " << i + 1 << " of " << count;
  }
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "ERROR Takeback error.");
}

Stones concat(Stones a, const Stones& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A whole opening under each rule and on a small board: the engine proposes,
// answers its own three stones, then five (its own two, or two placed for
// it), and its record after each answer holds the opening so far.
TEST(Swap2Cases, EachCaseAnswersInItsFormOnEmptyCells) {
  for (int size : {15, 6}) {
    for (int rule : {0, 1, 4}) {
      SCOPED_TRACE("size " + std::to_string(size) + ", rule " + std::to_string(rule));
      EngineSession engine;
      engine.start(size);
      engine.send("INFO rule " + std::to_string(rule));
      const Swap2Result opening = swap2(engine, {});
      expectLegal(opening, {}, size);
      ASSERT_EQ(opening.stones.size(), 3u);
      // Every proposed stone is on the record: a move there is refused.
      for (const auto& stone : opening.stones) {
        engine.send("TURN " + stone);
        EXPECT_EQ(engine.next(), "ERROR Move error.") << stone;
      }

      const Swap2Result choice = swap2(engine, opening.stones);
      expectLegal(choice, opening.stones, size);
      Stones five = opening.stones;
      if (choice.stones.size() == 2) {
        five = concat(five, choice.stones);
      } else {
        for (int cell = 0; five.size() < 5; ++cell) {
          const std::string stone = std::to_string(cell % size) + "," + std::to_string(cell / size);
          if (std::find(five.begin(), five.end(), stone) == five.end()) five.push_back(stone);
        }
      }
      const Swap2Result last = swap2(engine, five);
      expectLegal(last, five, size);
      expectRecordLength(engine, static_cast<int>(five.size() + last.stones.size()));
    }
  }
}

// What the README promises, checked against the scores the engine prints:
// after five stones it swaps exactly when White's score is below 0; after
// three it stays White above the balance margin, swaps below it, and within
// it places the two stones of the most balanced five-stone position it
// scored; its own proposal is the most balanced opening it scored. The
// positions are picked so that every kind of answer appears.
TEST(Swap2Cases, AnswersFollowTheScoresTheEngineReports) {
  constexpr int kNodes = 20000;
  auto session = [] {
    auto engine = std::make_unique<EngineSession>();
    engine->send("INFO max_node " + std::to_string(kNodes));
    engine->start(15);
    return engine;
  };
  std::set<std::size_t> placedCounts;
  for (const Stones& block : {Stones{"7,7", "0,0", "8,8"}, Stones{"7,7", "8,7", "0,14"}, Stones{"7,7", "8,7", "4,7"}}) {
    const auto engine = session();
    const Swap2Result result = swap2(*engine, block);
    ASSERT_FALSE(result.scored.empty());
    ASSERT_EQ(result.scored.front().position, block);
    const int white = result.scored.front().whiteScore;
    placedCounts.insert(result.swap ? 0 : result.stones.size());
    if (white > kBalancedMargin) {
      EXPECT_EQ(result.stones.size(), 1u) << white;
    } else if (white < -kBalancedMargin) {
      EXPECT_TRUE(result.swap) << white;
    } else {
      ASSERT_EQ(result.stones.size(), 2u) << white;
      const auto fives = std::vector<Scored>(result.scored.begin() + 1, result.scored.end());
      ASSERT_FALSE(fives.empty());
      const auto balanced = std::min_element(fives.begin(), fives.end(), [](const Scored& a, const Scored& b) {
        return std::abs(a.whiteScore) < std::abs(b.whiteScore);
      });
      EXPECT_EQ(balanced->position, concat(block, result.stones));
    }
  }
  EXPECT_EQ(placedCounts, (std::set<std::size_t>{0, 1, 2}));

  const Stones five = {"7,7", "8,7", "9,9", "8,8", "8,6"};
  const Swap2Result last = swap2(*session(), five);
  ASSERT_EQ(last.scored.size(), 1u);
  EXPECT_EQ(last.swap, last.scored.front().whiteScore < 0);

  const Swap2Result opening = swap2(*session(), {});
  ASSERT_FALSE(opening.scored.empty());
  int fewest = std::abs(opening.scored.front().whiteScore);
  for (const auto& scored : opening.scored) fewest = std::min(fewest, std::abs(scored.whiteScore));
  const auto proposed = std::find_if(opening.scored.begin(), opening.scored.end(),
                                     [&](const Scored& s) { return s.position == opening.stones; });
  ASSERT_NE(proposed, opening.scored.end());
  EXPECT_EQ(std::abs(proposed->whiteScore), fewest);
}

// Each refused block answers one ERROR line and changes nothing: no
// decision starts and the game's two moves stay on the record.
TEST(Swap2Refusals, BadBlocksAreRefusedAndChangeNothing) {
  const std::vector<Stones> blocks = {
      {"7,7"},                                       // one stone
      {"7,7", "8,7"},                                // two
      {"7,7", "8,7", "9,9", "8,8"},                  // four
      {"7,7", "8,7", "9,9", "8,8", "8,6", "6,8"},    // six
      {"7,7", "8,7", "a,9"},                         // unreadable
      {"7,7", "8,7", "9 9"},                         // no comma
      {"7,7", "8,7", "7,7"},                         // one cell twice
      {"7,7", "8,7", "15,0"},                        // off the board
      {"7,7", "8,7", "-1,3"},                        // off the board
      {"7,7", "8,7", "9,9" + std::string(97, ' ')},  // longer than a block line may be
  };
  EngineSession engine;
  sendBlock(engine, {});
  EXPECT_EQ(engine.next(), "ERROR No game started.");
  engine.start(15);
  engine.send("TURN 0,0");
  const std::string answer = engine.move();
  ASSERT_TRUE(isMoveLine(answer));
  for (const auto& block : blocks) {
    sendBlock(engine, block);
    EXPECT_EQ(engine.next(), kRefusal) << block.back();
    engine.expectSilence();
  }
  engine.send("TURN " + answer);
  EXPECT_EQ(engine.next(), "ERROR Move error.");
  expectRecordLength(engine, 2);
}

// After the opening the referee sets up the game with BOARD (owner 1 for the
// engine's stones) or goes on with TURN; both continue from the opening.
TEST(Swap2Game, BoardAndTurnAfterTheOpeningPlayOn) {
  EngineSession engine;
  engine.start(15);
  const Swap2Result opening = swap2(engine, {});
  ASSERT_EQ(opening.stones.size(), 3u);
  // The opponent stayed White and played the fourth stone; the engine, Black,
  // gets the position as the referee sends it.
  const Stones four = concat(opening.stones, {"0,0"});
  engine.send("BOARD");
  for (std::size_t i = 0; i < four.size(); ++i) engine.send(four[i] + (i % 2 == 0 ? ",1" : ",2"));
  engine.send("DONE");
  const std::string fifth = engine.move();
  ASSERT_TRUE(onBoard(fifth, 15)) << fifth;
  EXPECT_EQ(std::count(four.begin(), four.end(), fifth), 0) << fifth;
  engine.send("TURN 14,14");
  const std::string seventh = engine.move();
  ASSERT_TRUE(isMoveLine(seventh));
  EXPECT_NE(seventh, fifth);
  expectRecordLength(engine, 7);

  // The engine swapped after five stones: it is Black and the opponent's
  // sixth stone comes as TURN.
  const Stones five = {"7,7", "8,7", "9,9", "8,8", "8,6"};
  sendBlock(engine, five);
  const std::string reply = engine.move();
  const Stones placed = reply == "SWAP" ? Stones{} : words(reply);
  engine.send(placed.empty() ? "TURN 0,14" : "TURN 14,0");
  const std::string next = engine.move();
  ASSERT_TRUE(onBoard(next, 15)) << next;
  expectRecordLength(engine, static_cast<int>(5 + placed.size() + 2));
}

// YXSTOP ends a Swap2 decision at once with a well-formed answer; every other
// command is dropped meanwhile, as during any decision.
TEST(Swap2Game, YxstopAnswersAtOnce) {
  for (const Stones& block : {Stones{}, Stones{"7,7", "8,7", "4,7"}}) {
    EngineSession engine;
    engine.send("INFO max_node 0");
    engine.start(15);
    sendBlock(engine, block);
    // The decision is under way once it has printed its budget.
    EXPECT_EQ(engine.next().rfind("MESSAGE Expected time=", 0), 0u);
    engine.send("ABOUT");
    engine.send("YXSTOP");
    std::vector<std::string> messages;
    const std::string answer = engine.moveAfterStop(&messages);
    expectLegal(readAnswer(answer, messages), block, 15);
    engine.expectSilence();
  }
}

// END while a Swap2 decision runs ends the process with no answer printed:
// only report lines already under way may still come.
TEST(Swap2Game, EndWhileDecidingPrintsNoAnswer) {
  EngineSession engine;
  engine.send("INFO max_node 0");
  engine.start(15);
  sendBlock(engine, {});
  EXPECT_EQ(engine.next().rfind("MESSAGE Expected time=", 0), 0u);
  engine.send("END");
  while (auto line = engine.readLine(kStopBoundMs)) {
    EXPECT_EQ(line->rfind("MESSAGE Swap2 ", 0), 0u) << "printed after END: " << *line;
  }
  EXPECT_EQ(engine.waitExit(kStopBoundMs), 0);
}

}  // namespace
}  // namespace quenvik::test
