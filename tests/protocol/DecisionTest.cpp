// The engine's decision end to end, as a manager sees it. With a node limit
// and generous time the decisions are deterministic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

const std::regex kIterationLine(R"(^MESSAGE ( \d|\d\d);\(-?\d\d,-?\d\d\) +-?\d+ ---------- +\d+$)");
const std::regex kFinalReport(R"(^MESSAGE Nodes=\d+, Time=\d+ms, speed=\d+, depth=\d+-\d+, Evaluation=-?\d+$)");

bool isIterationLine(const std::string& line) { return std::regex_match(line, kIterationLine); }

std::string finalReportDepth(const std::string& line) {
  static const std::regex depth(R"(depth=(\d+-\d+), Evaluation=(-?\d+)$)");
  std::smatch match;
  return std::regex_search(line, match, depth) ? match[1].str() + " " + match[2].str() : "<none>";
}

// Times vary from run to run; everything else must not.
std::string withoutTimes(const std::string& line) {
  static const std::regex iterationTime(R"( +\d+$)");
  static const std::regex reportTimes(R"(Time=\d+ms, speed=\d+)");
  if (isIterationLine(line)) return std::regex_replace(line, iterationTime, "");
  return std::regex_replace(line, reportTimes, "Time=*, speed=*");
}

// Black's four on column 7 is blocked above; the cell below completes it.
const std::vector<std::string> kBlackFour = {"7,3", "7,4", "7,5", "7,6"};
const std::vector<std::string> kWhiteAroundFour = {"7,2", "0,0", "0,14", "14,0"};

TEST(Decision, OwnForcedWinIsPlayedAtOnce) {
  // Black wins by three fours in a row and a straight four.
  EngineSession engine;
  engine.start(20);
  engine.board({"6,4", "6,5", "6,6", "7,8", "8,8", "10,6", "10,7"},
               {"5,8", "6,3", "0,0", "0,12", "0,19", "19,0", "19,19"});
  std::vector<std::string> messages;
  EXPECT_EQ(engine.move(&messages), "6,8");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "MESSAGE Expected time=1999900ms");
  EXPECT_EQ(messages[1], "MESSAGE Here it is!");
}

TEST(Decision, OnlyRefutationOfTheOpponentsWinTakesOneIteration) {
  EngineSession engine;
  engine.start(15);
  engine.board({"7,2", "0,0", "0,14"}, kBlackFour);  // the engine is White
  std::vector<std::string> messages;
  EXPECT_EQ(engine.move(&messages), "7,7");
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "MESSAGE Expected time=1999900ms");
  EXPECT_TRUE(isIterationLine(messages[1])) << messages[1];
  EXPECT_EQ(messages[1].substr(0, 28), "MESSAGE  1;(07,07)       0 -");
  EXPECT_TRUE(std::regex_match(messages[2], kFinalReport)) << messages[2];
  EXPECT_EQ(messages[2].substr(0, 22), "MESSAGE Nodes=1, Time=");
  EXPECT_EQ(finalReportDepth(messages[2]), "1-0 0");
}

TEST(Decision, WithoutThreatSearchTheSearchFindsTheFive) {
  EngineSession engine;
  engine.start(15);
  engine.send("INFO compute_vcf 0");
  engine.board(kBlackFour, kWhiteAroundFour);
  std::vector<std::string> messages;
  EXPECT_EQ(engine.move(&messages), "7,7");
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1].substr(0, 28), "MESSAGE  1;(07,07)   20000 -");
  EXPECT_EQ(finalReportDepth(messages[2]), "1-0 20000");
}

TEST(Decision, NoTimeLeftStillAnswersALegalMove) {
  for (const char* setting : {"INFO time_left 0", "INFO timeout_turn -2147483648", "INFO timeout_turn 1"}) {
    EngineSession engine;
    engine.start(15);
    engine.send(setting);
    engine.send("TURN 7,7");
    std::vector<std::string> messages;
    const std::string reply = engine.move(&messages);
    ASSERT_TRUE(isMoveLine(reply)) << reply;
    EXPECT_NE(reply, "7,7");
    ASSERT_FALSE(messages.empty());
    const std::string expected = std::string(setting) == "INFO time_left 0"      ? "-100"
                                 : std::string(setting) == "INFO timeout_turn 1" ? "-99"
                                                                                 : "-2147483648";
    EXPECT_EQ(messages[0], "MESSAGE Expected time=" + expected + "ms");
    // The decision answers; another request follows as usual.
    engine.send("TURN 0,0");
    EXPECT_TRUE(isMoveLine(engine.move()));
  }
}

TEST(Decision, SameCommandsSameLinesUnderANodeLimit) {
  auto session = [] {
    EngineSession engine;
    engine.start(15);
    engine.send("INFO max_node 20000");
    std::vector<std::string> lines;
    for (const char* turn : {"TURN 7,7", "TURN 8,8", "TURN 6,9"}) {
      engine.send(turn);
      std::vector<std::string> messages;
      const std::string reply = engine.move(&messages);
      for (const auto& m : messages) lines.push_back(withoutTimes(m));
      lines.push_back(reply);
      // Keep the game legal whatever the engine answered.
      if (reply == "8,8" || reply == "6,9") break;
    }
    return lines;
  };
  const auto first = session();
  const auto second = session();
  EXPECT_EQ(first, second);
  EXPECT_GE(first.size(), 4u);
}

// The table's memory is brought in and cleared in the background while the
// engine waits, and a game that begins before it is ready keeps its entries
// elsewhere. What a process says must depend on its commands alone, not on
// how far that work has got: the same games and clears, twice over.
TEST(Decision, GamesDependOnTheCommandsAloneWhileTheTableIsMadeReady) {
  auto session = [] {
    EngineSession engine;
    engine.send("INFO max_node 20000");
    engine.start(15);
    std::vector<std::string> lines;
    for (const std::vector<std::string>& clearing :
         {std::vector<std::string>{}, {"RESTART"}, {"START 15"}, {"YXHASHCLEAR", "RESTART"}}) {
      for (const auto& command : clearing) engine.send(command);
      if (!clearing.empty()) {
        EXPECT_EQ(engine.next(), "OK");
      }
      for (const char* turn : {"TURN 7,7", "TURN 3,3", "TURN 11,12"}) {
        engine.send(turn);
        std::vector<std::string> messages;
        const std::string reply = engine.move(&messages);
        for (const auto& m : messages) lines.push_back(withoutTimes(m));
        lines.push_back(reply);
        if (reply == "3,3" || reply == "11,12") break;
      }
    }
    engine.send("END");
    EXPECT_EQ(engine.waitExit(), 0);
    return lines;
  };
  const auto first = session();
  EXPECT_EQ(session(), first);
  EXPECT_GE(first.size(), 12u);
}

// A decision running long: the engine is in an opening with an unbounded
// node count and a budget of over half an hour.
struct LongDecision : EngineSession {
  LongDecision() {
    send("INFO max_node 0");
    start(15);
    send("TURN 7,7");
    EXPECT_EQ(next(), "MESSAGE Expected time=1999900ms");
    EXPECT_TRUE(isIterationLine(next()));  // the first iteration is done; the search goes on
  }
};

TEST(DecisionStop, YxstopAnswersAtOnceWithALegalMove) {
  LongDecision engine;
  engine.send("YXSTOP");
  std::vector<std::string> messages;
  const std::string reply = engine.moveAfterStop(&messages);
  ASSERT_TRUE(isMoveLine(reply)) << reply;
  EXPECT_NE(reply, "7,7");
  ASSERT_FALSE(messages.empty());
  EXPECT_TRUE(std::regex_match(messages.back(), kFinalReport)) << messages.back();
}

TEST(DecisionStop, EverythingButYxstopAndEndIsDroppedWhileThinking) {
  LongDecision engine;
  engine.send("XYZZY");  // no UNKNOWN either: the manager waits for the move
  engine.send("START 20");
  engine.send("TURN 0,0");
  engine.send("ABOUT");
  engine.send("YXSTOP");
  const std::string reply = engine.moveAfterStop();
  ASSERT_TRUE(isMoveLine(reply));
  engine.expectSilence();
  engine.send("INFO max_node 1000");  // keep the next decisions short
  engine.send("TURN 0,0");            // not on record: that TURN was dropped too
  EXPECT_TRUE(isMoveLine(engine.move()));
  engine.send("TURN 14,14");  // still 15 x 15: START 20 was dropped
  EXPECT_TRUE(isMoveLine(engine.move()));
  engine.send("END");
  EXPECT_EQ(engine.waitExit(), 0);
}

// The search stops at once and the process ends without its move; the time
// it takes is measured by bench/end_latency.py.
TEST(DecisionStop, EndWhileThinkingExitsWithoutAMove) {
  LongDecision engine;
  engine.send("END");
  engine.send("ABOUT");  // read after END by nobody
  std::vector<std::string> after;
  while (auto line = engine.readLine(kStopBoundMs)) after.push_back(*line);
  for (const auto& line : after) {
    EXPECT_TRUE(isIterationLine(line)) << "printed after END: " << line;  // only lines already under way
  }
  EXPECT_EQ(engine.waitExit(kStopBoundMs), 0);
}

TEST(DecisionStop, EndOfInputWhileThinkingWaitsForTheMove) {
  LongDecision engine;
  engine.send("YXSTOP");
  engine.closeInput();
  EXPECT_TRUE(isMoveLine(engine.moveAfterStop()));
  EXPECT_EQ(engine.readLine(), std::nullopt);
  EXPECT_EQ(engine.waitExit(), 0);
}

// The moves of the first game of an SGF file, "x,y" each, x first, 'a' = 0.
std::vector<std::string> sgfMoves(const std::string& path) {
  std::ifstream file(path);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  static const std::regex move(R"(;[BW]\[([a-t])([a-t])\])");
  std::vector<std::string> moves;
  for (std::sregex_iterator it(text.begin(), text.end(), move), end; it != end; ++it) {
    moves.push_back(std::to_string((*it)[1].str()[0] - 'a') + "," + std::to_string((*it)[2].str()[0] - 'a'));
  }
  return moves;
}

// The score a decision with this node limit reports for the first `ply`
// moves of the game; nothing for a forced win found before the search.
std::optional<int> decisionScore(EngineSession& engine, int size, int rule, const std::vector<std::string>& game,
                                 int ply, int nodes) {
  engine.send("INFO max_node " + std::to_string(nodes));
  engine.start(size);
  engine.send("INFO rule " + std::to_string(rule));
  std::vector<std::string> own, opposing;
  for (int i = 0; i < ply; ++i) (i % 2 == ply % 2 ? own : opposing).push_back(game[i]);
  engine.board(own, opposing);
  std::vector<std::string> messages;
  engine.move(&messages);
  static const std::regex evaluation(R"(Evaluation=(-?\d+)$)");
  std::smatch match;
  if (messages.empty() || !std::regex_search(messages.back(), match, evaluation)) return std::nullopt;
  return std::stoi(match[1].str());
}

bool decidedScore(int score) { return std::abs(score) >= 15000; }

// A search cut by its node limit claims a decided game only when the same
// position searched twenty times longer is decided the same way.
TEST(DecisionScores, CutSearchesClaimOnlyDecidedResultsThatHold) {
  struct Game {
    std::vector<std::string> moves;
    int size;
    int rule;
    std::vector<int> nodeLimits;
  };
  std::vector<std::string> free15;
  std::ifstream list(std::string(QUENVIK_TEST_DATA_DIR) + "/free-15.txt");
  for (std::string move; list >> move;) free15.push_back(move);
  const std::vector<Game> games = {
      {sgfMoves(std::string(QUENVIK_TEST_DATA_DIR) + "/exact-20-60-moves.sgf"), 20, 1, {2000}},
      {free15, 15, 0, {1000, 5000}},
  };
  EngineSession engine;
  int decidedCount = 0;
  for (const Game& game : games) {
    ASSERT_GE(game.moves.size(), 29u);
    for (int ply = 1; ply < static_cast<int>(game.moves.size()); ++ply) {
      for (const int nodes : game.nodeLimits) {
        const std::optional<int> cut = decisionScore(engine, game.size, game.rule, game.moves, ply, nodes);
        if (!cut || !decidedScore(*cut)) continue;
        ++decidedCount;
        const std::optional<int> longer = decisionScore(engine, game.size, game.rule, game.moves, ply, 20 * nodes);
        EXPECT_TRUE(longer && decidedScore(*longer) && (*longer > 0) == (*cut > 0))
            << "ply " << ply << " at " << nodes << " nodes: " << *cut
            << ", twenty times longer: " << (longer ? std::to_string(*longer) : "a forced win");
      }
    }
  }
  // The example of a cut that used to claim a loss: the last finished
  // iteration's score stands.
  const auto example = decisionScore(engine, 20, 1, games[0].moves, 29, 20000);
  ASSERT_TRUE(example.has_value());
  EXPECT_FALSE(decidedScore(*example)) << *example;
  EXPECT_GT(decidedCount, 0) << "no position was decided: the check checked nothing";
}

TEST(DecisionRenju, ForbiddenOnlyRefutationIsNeverPlayed) {
  // White's four on column 10 can only be stopped at 10,7, where Black would
  // make six in a row on row 7: forbidden. Black must not play it.
  EngineSession engine;
  engine.start(15);
  engine.send("INFO rule 4");
  engine.board({"10,2", "7,7", "8,7", "9,7", "11,7", "12,7"}, {"10,3", "10,4", "10,5", "10,6", "0,0", "0,14"});
  std::vector<std::string> messages;
  const std::string reply = engine.move(&messages);
  ASSERT_TRUE(isMoveLine(reply));
  EXPECT_NE(reply, "10,7");
  EXPECT_EQ(messages.back(), "MESSAGE Er...");
}

TEST(DecisionCaro, AFiveBetweenTwoOpponentStonesIsNoWin) {
  // The tournament's own Caro check, h8f8g8f9i8f7j8l8 with Black to move: k8
  // (10,7) would make five between White's f8 and l8, no win under Caro, so
  // Black must stop White's open three on the f column instead. Under
  // free-style k8 wins at once.
  const std::vector<std::string> black = {"7,7", "6,7", "8,7", "9,7"};
  const std::vector<std::string> white = {"5,7", "5,8", "5,6", "11,7"};
  const std::set<std::string> blocks = {"5,4", "5,5", "5,9", "5,10"};
  for (const int rule : {8, 9, 0}) {
    EngineSession engine;
    engine.start(15);
    engine.send("INFO rule " + std::to_string(rule));
    engine.board(black, white);
    const std::string reply = engine.move();
    if (rule == 0) {
      EXPECT_EQ(reply, "10,7");
    } else {
      EXPECT_EQ(blocks.count(reply), 1u) << "rule " << rule << ": " << reply;
    }
  }
}

}  // namespace
}  // namespace quenvik::test
