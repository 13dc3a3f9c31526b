// The board GUI's balance commands through the real engine, sent as the GUI
// sends them (YXBOARD, then YXBALANCEONE or YXBALANCETWO).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

using Stones = std::vector<std::string>;  // "x,y"

struct Position {
  Stones toMove, other;
  std::size_t stones() const { return toMove.size() + other.size(); }
};

// Black to move, with points forbidden under Renju (9,7 two open threes,
// 4,12 six in a row); with one White stone fewer White is to move.
const Stones kBlack = {"7,7", "8,7", "9,8", "9,9", "1,12", "2,12", "3,12", "5,12", "6,12"};
const Stones kWhite = {"0,0", "0,14", "14,0", "14,14", "14,2", "14,4", "12,0", "12,2", "12,4"};
const Position kBlackToMove{kBlack, kWhite};
const Position kWhiteToMove{Stones(kWhite.begin(), kWhite.end() - 1), kBlack};

const std::regex kScoredLine(
    R"(^MESSAGE Balance ((?:\d+,\d+ )?\d+,\d+) scores (-?\d+) for (Black|White) at depth \d+$)");
const std::regex kAnswers[] = {std::regex(R"(^\d+,\d+$)"), std::regex(R"(^\d+,\d+ \d+,\d+$)")};

Stones words(const std::string& text) {
  std::istringstream in(text);
  Stones out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// Sets the position, sends `command`, returns the answer line; the MESSAGE
// lines before it go to `messages`.
std::string balance(EngineSession& engine, const Position& position, const std::string& command,
                    Stones* messages = nullptr) {
  engine.send("yxboard");
  for (const auto& cell : position.toMove) engine.send(cell + ",1");
  for (const auto& cell : position.other) engine.send(cell + ",2");
  engine.send("done");
  if (command.empty()) return "";
  engine.send(command);
  return engine.move(messages);
}

// A position from rows of B, W and . (empty); Black moves on equal counts.
Position fromRows(const Stones& rows) {
  Stones black, white;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    for (std::size_t x = 0; x < rows[y].size(); ++x) {
      if (rows[y][x] != '.') (rows[y][x] == 'B' ? black : white).push_back(std::to_string(x) + "," + std::to_string(y));
    }
  }
  return black.size() == white.size() ? Position{black, white} : Position{white, black};
}

// Under free-style and Renju, with a node limit: one line of one or two
// stones on empty cells of the board (the last cells of a board below check
// Renju's forbidden points); the answer is the reported position whose score
// lies nearest the target; each report names the side to move after the
// stones; a second run prints the same lines; a missing target means 0.
TEST(BalanceAnswers, LegalNearestTheTargetAmongTheReportedScoresAndDeterministic) {
  const Position open = {{"7,7", "8,6"}, {"8,8", "6,8", "9,7"}};
  struct Case {
    std::string command, again;
    int target, rule;
    Position position;
  };
  for (const Case& c :
       {Case{"yxbalanceone", "yxbalanceone 0", 0, 0, open}, Case{"yxbalanceone 25", "", 25, 4, open},
        Case{"YXBALANCEONE -30", "", -30, 4, kBlackToMove}, Case{"yxbalancetwo -30", "", -30, 0, open},
        Case{"yxbalancetwo", "", 0, 4, kBlackToMove}, Case{"yxbalancetwo 40", "", 40, 4, kWhiteToMove}}) {
    SCOPED_TRACE(c.command + " under rule " + std::to_string(c.rule));
    Stones messages[2];
    std::string answers[2];
    for (int i = 0; i < 2; ++i) {
      EngineSession engine;
      engine.send("INFO max_node 20000");
      engine.send("INFO rule " + std::to_string(c.rule));
      engine.start(15);
      answers[i] = balance(engine, c.position, i == 1 && !c.again.empty() ? c.again : c.command, &messages[i]);
    }
    EXPECT_EQ(messages[0], messages[1]);
    EXPECT_EQ(answers[0], answers[1]);
    ASSERT_TRUE(std::regex_match(answers[0], kAnswers[c.command.find("two") != std::string::npos])) << answers[0];
    std::set<std::string> taken(c.position.toMove.begin(), c.position.toMove.end());
    taken.insert(c.position.other.begin(), c.position.other.end());
    for (const auto& stone : words(answers[0])) {
      int x = -1, y = -1;
      EXPECT_TRUE(std::sscanf(stone.c_str(), "%d,%d", &x, &y) == 2 && x < 15 && y < 15) << stone;
      EXPECT_TRUE(taken.insert(stone).second) << stone << " is taken";
    }
    const bool blackAfter = (c.position.stones() + words(answers[0]).size()) % 2 == 0;
    int nearest = INT_MAX, chosen = INT_MAX;
    for (const auto& line : messages[0]) {
      std::smatch match;
      if (!std::regex_match(line, match, kScoredLine)) continue;
      const int distance = std::abs(std::stoi(match[2]) - c.target);
      nearest = std::min(nearest, distance);
      if (match[1] == answers[0]) chosen = distance;
      EXPECT_EQ(match[3], blackAfter ? "Black" : "White") << line;
    }
    EXPECT_NE(nearest, INT_MAX) << "no position reported";
    EXPECT_EQ(chosen, nearest) << answers[0];
  }
}

TEST(BalanceAnswers, RefusalsAndTheLastCellsOfABoard) {
  EngineSession engine;
  engine.send("yxbalanceone");
  EXPECT_EQ(engine.next(), "ERROR No game started.");
  engine.start(15);
  balance(engine, kBlackToMove, "");
  for (const char* line : {"yxbalanceone x", "YXBALANCETWO --3", "yxbalancetwo 99999999999"}) {
    engine.send(line);
    EXPECT_EQ(engine.next().rfind("ERROR YXBALANCE", 0), 0u) << line;
  }
  engine.expectSilence();

  // No five anywhere; full, then with one cell left.
  engine.start(5);
  Stones rows = {"BBWWB", "WWBBW", "BBWWB", "WWBBW", "BBWWB"};
  EXPECT_EQ(balance(engine, fromRows(rows), "yxbalancetwo"), "ERROR No empty cell.");
  rows[4][4] = '.';
  EXPECT_EQ(balance(engine, fromRows(rows), "yxbalanceone"), "4,4");
  EXPECT_EQ(balance(engine, fromRows(rows), "yxbalancetwo"), "4,4");

  // Black to move, and both cells left make six in a row: no move under
  // Renju, a game-ending five under free-style.
  const Position sixes = fromRows({"BBB.BB", "WWBWWW", "WWWBWW", "BWWWBW", "WBWBBW", "BB.BBB"});
  engine.send("INFO rule 4");
  engine.start(6);
  EXPECT_EQ(balance(engine, sixes, "yxbalanceone"), "ERROR No empty cell.");
  EXPECT_EQ(balance(engine, sixes, "yxbalancetwo"), "ERROR No empty cell.");
  engine.send("INFO rule 0");
  const std::string five = balance(engine, sixes, "yxbalancetwo");
  EXPECT_TRUE(five == "3,0" || five == "2,5") << five;
}

TEST(BalanceAnswers, YxstopAnswersAtOnce) {
  EngineSession engine;
  engine.send("INFO max_node 0");
  engine.start(15);
  balance(engine, kWhiteToMove, "");
  engine.send("yxbalancetwo");
  EXPECT_EQ(engine.next().rfind("MESSAGE Expected time=", 0), 0u);
  engine.send("ABOUT");  // dropped: the decision is under way
  engine.send("yxstop");
  EXPECT_TRUE(std::regex_match(engine.moveAfterStop(), kAnswers[1]));
  engine.expectSilence();
}

}  // namespace
}  // namespace quenvik::test
