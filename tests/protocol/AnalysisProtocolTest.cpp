// The analysis protocol as the board GUI drives it: its start-up handshake,
// whole-board requests per move, forbidden points, N-best analysis, stops
// and hash clears, and the memory caps a manager sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

const std::regex kRealtimeLine(R"(^MESSAGE REALTIME (POS|DONE|BEST|LOSE) (\d+),(\d+)$)");

struct Block {
  int pv = -1;
  int numPv = -1;
  int depth = -1;
  std::string firstMove;
  std::string eval;
  int score = 0;  // the number, or +-(20000 - k) for a decided +Mk / -Mk
  std::set<std::string> lineMoves;
};

bool onBoard(const std::string& move, int size) {
  int x = -1, y = -1;
  return std::sscanf(move.c_str(), "%d,%d", &x, &y) == 2 && x >= 0 && x < size && y >= 0 && y < size;
}

// Reads the seven lines of an analysis block whose first line was `first`,
// checking each one's form.
Block readBlock(EngineSession& engine, const std::string& first, int size) {
  Block block;
  EXPECT_EQ(std::sscanf(first.c_str(), "INFO PV %d", &block.pv), 1) << first;
  EXPECT_EQ(std::sscanf(engine.next().c_str(), "INFO NUMPV %d", &block.numPv), 1);
  EXPECT_EQ(std::sscanf(engine.next().c_str(), "INFO DEPTH %d", &block.depth), 1);
  EXPECT_GE(block.depth, 1);
  const std::string eval = engine.next();
  EXPECT_TRUE(std::regex_match(eval, std::regex(R"(^INFO EVAL (-?\d+|[+-]M[1-9]\d*)$)"))) << eval;
  block.eval = eval.substr(std::min<std::size_t>(eval.size(), 10));
  int toFive = 0;
  if (std::sscanf(block.eval.c_str(), "+M%d", &toFive) == 1) {
    block.score = 20000 - toFive;
  } else if (std::sscanf(block.eval.c_str(), "-M%d", &toFive) == 1) {
    block.score = toFive - 20000;
  } else {
    block.score = std::atoi(block.eval.c_str());
  }
  double winRate = -1;
  EXPECT_EQ(std::sscanf(engine.next().c_str(), "INFO WINRATE %lf", &winRate), 1);
  EXPECT_TRUE(winRate >= 0 && winRate <= 1) << winRate;
  const std::string line = engine.next();
  EXPECT_EQ(line.rfind("INFO BESTLINE ", 0), 0u) << line;
  std::vector<std::string> moves;
  for (std::size_t at = 14; at < line.size();) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    moves.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  for (const auto& move : moves) EXPECT_TRUE(onBoard(move, size)) << line;
  block.lineMoves.insert(moves.begin(), moves.end());
  EXPECT_EQ(block.lineMoves.size(), moves.size()) << "a cell twice in " << line;
  if (!moves.empty()) block.firstMove = moves.front();
  EXPECT_EQ(engine.next(), "INFO PV DONE");
  return block;
}

// Everything up to the move line: each line checked, the blocks returned.
// Under show_detail the GUI's marks are cleared right before the move.
std::string readAnswer(EngineSession& engine, int size, std::vector<Block>* blocks = nullptr,
                       std::vector<std::string>* best = nullptr, bool detail = true) {
  std::string previous;
  for (;;) {
    const std::string line = engine.next();
    std::smatch match;
    if (line.rfind("INFO PV ", 0) == 0) {
      const Block block = readBlock(engine, line, size);
      if (blocks) blocks->push_back(block);
    } else if (std::regex_match(line, match, kRealtimeLine)) {
      const std::string move = match[2].str() + "," + match[3].str();
      EXPECT_TRUE(onBoard(move, size)) << line;
      if (best && match[1] == "BEST") best->push_back(move);
    } else if (!isMessageLine(line)) {
      EXPECT_TRUE(isMoveLine(line) && onBoard(line, size)) << line;
      if (detail) {
        EXPECT_EQ(previous, "MESSAGE REALTIME REFRESH");
      }
      return line;
    }
    previous = line;
  }
}

// The blocks of the final report: the last NUMPV blocks (under show_detail
// every finished iteration reports its lines too).
std::vector<Block> finalBlocks(const std::vector<Block>& blocks) {
  if (blocks.empty()) return {};
  const int count = std::min<int>(blocks.back().numPv, static_cast<int>(blocks.size()));
  return std::vector<Block>(blocks.end() - count, blocks.end());
}

// The lines of an N-best answer: PV 0 .. n - 1, distinct first moves, best
// first, the move line PV 0's move.
void expectLinesBestFirst(const std::vector<Block>& blocks, int lines, const std::string& answer) {
  ASSERT_EQ(static_cast<int>(blocks.size()), lines);
  std::set<std::string> firstMoves;
  for (int i = 0; i < lines; ++i) {
    EXPECT_EQ(blocks[i].pv, i);
    EXPECT_EQ(blocks[i].numPv, lines);
    EXPECT_EQ(blocks[i].depth, blocks[0].depth) << "the lines deepen together";
    if (i > 0) {
      EXPECT_GE(blocks[i - 1].score, blocks[i].score) << "PV " << i;
    }
    firstMoves.insert(blocks[i].firstMove);
  }
  EXPECT_EQ(static_cast<int>(firstMoves.size()), lines) << "the lines start with distinct moves";
  EXPECT_EQ(answer, blocks[0].firstMove);
}

// The query the GUI sends after each move while "Use Database" is on; an
// engine without a database answers that it has no tags, and the GUI
// redraws its board on DONE.
void expectEmptyDatabase(EngineSession& engine, const std::vector<std::string>& moves) {
  engine.send("yxquerydatabaseallt");
  for (const auto& move : moves) engine.send(move);
  engine.send("done");
  EXPECT_EQ(engine.next(), "MESSAGE DATABASE REFRESH");
  EXPECT_EQ(engine.next(), "MESSAGE DATABASE DONE");
}

// The opponent's reply in the games below: the first free cell of the top
// row or the one under it, out of the engine's way.
std::string freeCell(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  for (int cell = 0;; ++cell) {
    const std::string text = std::to_string(cell % 15) + "," + std::to_string(cell / 15);
    if (std::find(a.begin(), a.end(), text) == a.end() && std::find(b.begin(), b.end(), text) == b.end()) return text;
  }
}

// A Renju position, Black to move: 9,7 makes two open threes, 4,12 six in a row.
const std::vector<std::string> kRenjuBlack = {"7,7", "8,7", "9,8", "9,9", "1,12", "2,12", "3,12", "5,12", "6,12"};
const std::vector<std::string> kRenjuWhite = {"0,0", "0,14", "14,0", "14,14", "14,2", "14,4", "12,0", "12,2", "12,4"};

void yxBoard(EngineSession& engine, const std::vector<std::string>& toMove, const std::vector<std::string>& other) {
  engine.send("yxboard");
  for (const auto& cell : toMove) engine.send(cell + ",1");
  for (const auto& cell : other) engine.send(cell + ",2");
  engine.send("done");
}

TEST(GuiSession, ReplaysTheGuisCommandSequence) {
  EngineSession engine;
  engine.send("info show_detail 3");
  engine.send("yxshowinfo");
  EXPECT_EQ(engine.next(), "MESSAGE INFO MAX_THREAD_NUM 1");
  // The GUI's hash-size box reaches 2^(k - 10) MB less its 256 MB page: it
  // must reach the largest table, 256 MiB, and no further.
  int maxHashSize = 0;
  EXPECT_EQ(std::sscanf(engine.next().c_str(), "MESSAGE INFO MAX_HASH_SIZE %d", &maxHashSize), 1);
  EXPECT_EQ((1 << (maxHashSize - 10)) - 256, 256);
  engine.start(15);
  for (const char* line :
       {"INFO max_node 3000", "INFO max_depth 225", "INFO timeout_turn 60000", "INFO timeout_match 0",
        "INFO time_left 2147483647", "INFO time_increment 0", "INFO caution_factor 1", "INFO thread_num 1",
        "INFO hash_size 65536", "INFO pondering 0", "INFO rule 2", "info nbestsym 1"}) {
    engine.send(line);
  }
  engine.expectSilence();

  // Three moves as the GUI asks for them: the whole board every time.
  std::vector<std::string> mine, theirs = {"7,7"};
  for (int move = 0; move < 3; ++move) {
    engine.send("start 15");
    EXPECT_EQ(engine.next(), "OK");
    engine.board(mine, theirs);
    std::vector<Block> blocks;
    std::vector<std::string> best;
    const std::string answer = readAnswer(engine, 15, &blocks, &best);
    ASSERT_FALSE(blocks.empty()) << "show_detail gives a block per finished iteration";
    // A stopped iteration may still change the move: then it was shown live.
    EXPECT_TRUE(blocks.back().firstMove == answer || std::find(best.begin(), best.end(), answer) != best.end());
    mine.push_back(answer);
    std::vector<std::string> played = theirs;
    played.insert(played.end(), mine.begin(), mine.end());
    expectEmptyDatabase(engine, played);
    theirs.push_back(freeCell(mine, theirs));
  }

  // Forbidden points: yxboard only sets the position.
  yxBoard(engine, kRenjuBlack, kRenjuWhite);
  engine.send("yxshowforbid");
  EXPECT_EQ(engine.next(), "FORBID 09070412.");  // row by row: y = 7, then y = 12

  // The three best moves, then the best played.
  engine.send("yxnbest 3");
  std::vector<Block> allBlocks;
  const std::string answer = readAnswer(engine, 15, &allBlocks);
  const std::vector<Block> blocks = finalBlocks(allBlocks);
  expectLinesBestFirst(blocks, 3, answer);
  for (const Block& block : blocks) {
    EXPECT_NE(block.firstMove, "9,7") << "a forbidden point analysed for Black";
    EXPECT_NE(block.firstMove, "4,12") << "a forbidden point analysed for Black";
  }
  engine.send("yxshowforbid");
  EXPECT_EQ(engine.next(), "FORBID .");  // White to move now

  // Unlimited nodes: stopped by the GUI once the search is seen running.
  engine.send("INFO max_node -1");
  engine.send("INFO max_depth 0");
  yxBoard(engine, {"7,7", "8,8"}, {"7,8", "6,6"});
  engine.send("yxnbest 2");
  EXPECT_TRUE(engine.readUntil([](const std::string& l) { return l.rfind("MESSAGE REALTIME", 0) == 0; }));
  engine.send("yxstop");
  readAnswer(engine, 15);
  engine.send("yxhashclear");
  engine.expectSilence();
}

// Forced wins as the GUI labels them: a four is a win in one move, an open
// three with no answer in two.
TEST(GuiSession, ForcedWinsShowTheirMoveCount) {
  struct Case {
    int size;
    std::vector<std::string> own, opposing;
    std::string label;
  };
  const std::vector<std::string> corners = {"0,0", "14,0", "0,14", "14,14"};
  const std::vector<Case> cases = {{15, {"7,3", "7,4", "7,5", "7,6"}, corners, "+M1"},
                                   {15, {"7,4", "7,5", "7,6"}, corners, "+M2"},
                                   // 6,8 four (6,7 blocks), 10,8 four (9,8 blocks) leaving an open three
                                   // on column 10: straight four, then five.
                                   {20,
                                    {"6,4", "6,5", "6,6", "7,8", "8,8", "10,6", "10,7"},
                                    {"5,8", "6,3", "0,0", "0,12", "0,19", "19,0", "19,19"},
                                    "+M4"}};
  EngineSession engine;
  engine.send("INFO show_detail 1");
  for (const Case& c : cases) {
    engine.start(c.size);
    engine.board(c.own, c.opposing);
    std::vector<Block> blocks;
    readAnswer(engine, c.size, &blocks);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].eval, c.label);
  }
}

// The GUI's default level is unlimited: Multi-PV runs until Stop, and then
// shows every line of the last iteration that finished, best first.
TEST(GuiSession, MultiPvStoppedAtTheUnlimitedLevelKeepsEveryLine) {
  EngineSession engine;
  for (const char* line : {"info show_detail 3", "INFO max_node -1", "INFO timeout_match 100000000",
                           "INFO time_left 100000000", "INFO timeout_turn 2000000", "INFO max_depth 225"}) {
    engine.send(line);
  }
  engine.start(15);
  yxBoard(engine, {"8,8", "6,9", "6,7"}, {"7,7", "8,7", "9,7"});
  engine.send("yxnbest 3");
  // Stopped once the first iteration has reported its three lines.
  std::vector<Block> allBlocks;
  while (allBlocks.size() < 3) {
    const std::string line = engine.next();
    ASSERT_FALSE(isMoveLine(line)) << "the decision ended by itself";
    if (line.rfind("INFO PV ", 0) == 0) allBlocks.push_back(readBlock(engine, line, 15));
  }
  engine.send("yxstop");
  const std::string answer = readAnswer(engine, 15, &allBlocks);
  expectLinesBestFirst(finalBlocks(allBlocks), 3, answer);
}

// The Defend button: the moves that stop the opponent's forced win, the
// others marked lost, and the move the GUI waits for.
TEST(GuiSession, DefendNamesTheMovesThatStopAForcedWin) {
  EngineSession engine;
  engine.send("info show_detail 3");
  engine.start(15);
  // White has an open three on column 7; Black (to move) stops it only at
  // either end.
  yxBoard(engine, {"0,0", "0,14", "14,14"}, {"7,4", "7,5", "7,6"});
  engine.send("yxsearchdefend");
  std::vector<std::string> messages;
  std::set<std::string> lost;
  std::string answer;
  const std::string defences = "MESSAGE Moves that stop the opponent's forced win by fours: 7,3 7,7";
  for (answer = engine.next(); !isMoveLine(answer); answer = engine.next()) {
    std::smatch match;
    const bool beforeSearch = std::find(messages.begin(), messages.end(), defences) == messages.end();
    if (beforeSearch && std::regex_match(answer, match, kRealtimeLine) && match[1] == "LOSE") {
      lost.insert(match[2].str() + "," + match[3].str());
    }
    messages.push_back(answer);
  }
  EXPECT_NE(std::find(messages.begin(), messages.end(), defences), messages.end());
  EXPECT_TRUE(answer == "7,3" || answer == "7,7") << answer;
  EXPECT_EQ(lost.size(), 225u - 6u - 2u) << "every other empty cell is marked lost";
  EXPECT_EQ(lost.count("7,3") + lost.count("7,7"), 0u);
}

// What the database buttons send, and what an engine without a database
// answers: nothing waits, nothing is taken for a command.
TEST(GuiSession, DatabaseCommandsGetTheAnswersOfNoDatabase) {
  EngineSession engine;
  engine.start(15);
  expectEmptyDatabase(engine, {"7,7", "8,8"});
  const std::vector<std::pair<std::vector<std::string>, std::string>> commands = {
      {{"yxquerydatabaseone", "7,7", "done"}, "MESSAGE No opening database: no entry for this position."},
      {{"yxquerydatabasetext", "done"}, "MESSAGE DATABASE TEXT \"\""},
      {{"yxdeletedatabaseall wl", "7,7", "done"}, "MESSAGE No opening database: nothing to delete."},
      {{"yxeditlabeldatabase 7,7 a", "done"}, "ERROR No opening database: nothing was recorded."},
      {{"yxsetdatabase", "DONE.db"}, "ERROR No opening database: this engine reads and writes no files."},
      {{"yxsavedatabase"}, "ERROR No opening database: this engine reads and writes no files."},
  };
  for (const auto& [lines, reply] : commands) {
    for (const auto& line : lines) engine.send(line);
    EXPECT_EQ(engine.next(), reply) << lines.front();
  }
  engine.expectSilence();
}

TEST(GuiSession, RuleTwoIsRenjuOnlyAfterTheHandshake) {
  EngineSession engine;
  engine.start(15);
  engine.send("INFO rule 2");  // a tournament manager's continuous-game bit: free-style
  yxBoard(engine, kRenjuBlack, kRenjuWhite);
  engine.send("yxshowforbid");
  EXPECT_EQ(engine.next(), "FORBID .");
  engine.send("YXSHOWINFO");
  engine.next();
  engine.next();
  engine.send("START 15");  // the handshake outlives a new game
  EXPECT_EQ(engine.next(), "OK");
  engine.send("INFO rule 2");
  yxBoard(engine, kRenjuBlack, kRenjuWhite);
  engine.send("YxShowForbid");
  EXPECT_EQ(engine.next(), "FORBID 09070412.");
}

TEST(GuiSession, BadNBestCountsAreRefusedAndChangeNothing) {
  EngineSession engine;
  engine.start(15);
  yxBoard(engine, {"7,7"}, {"8,8"});
  for (const char* line : {"yxnbest", "yxnbest 0", "yxnbest -2", "yxnbest x"}) {
    engine.send(line);
    EXPECT_EQ(engine.next().rfind("ERROR ", 0), 0u) << line;
  }
  engine.expectSilence();
}

TEST(GuiSession, OneBestIsTheOrdinaryDecision) {
  const std::vector<std::string> own = {"7,7", "8,7", "6,9"}, opposing = {"8,8", "9,9", "6,6"};
  std::string ordinary;
  {
    EngineSession engine;
    engine.start(15);
    engine.board(own, opposing);
    ordinary = engine.move();
  }
  EngineSession engine;
  engine.start(15);
  yxBoard(engine, own, opposing);
  engine.send("YXNBEST 1");
  std::vector<Block> blocks;
  EXPECT_EQ(readAnswer(engine, 15, &blocks, nullptr, false), ordinary);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].firstMove, ordinary);
}

TEST(DepthAndNodeLimits, NegativeNodeLimitSearchesUpToMaxDepth) {
  EngineSession engine;
  engine.send("INFO max_node -1");
  engine.send("INFO max_depth 3");
  engine.start(15);
  std::vector<std::string> messages;
  engine.board({"7,7", "8,7"}, {"8,8", "9,9", "6,6"});
  EXPECT_TRUE(isMoveLine(engine.move(&messages)));
  ASSERT_FALSE(messages.empty());
  EXPECT_TRUE(std::regex_search(messages.back(), std::regex(R"(^MESSAGE Nodes=[1-9]\d*, .* depth=3-)")))
      << messages.back();
  EXPECT_EQ(messages[messages.size() - 2].substr(0, 12), "MESSAGE  3;(");
}

TEST(BoardBlocks, AFullTwentyBoardLessOneCellIsAccepted) {
  EngineSession engine;
  engine.start(20);
  std::vector<std::string> own, opposing;
  for (int cell = 0; cell < 399; ++cell) {  // every cell but 19,19
    (cell % 2 == 0 ? opposing : own).push_back(std::to_string(cell % 20) + "," + std::to_string(cell / 20));
  }
  engine.board(own, opposing);
  EXPECT_EQ(engine.move(), "19,19");
  opposing.push_back("19,19");
  opposing.push_back("0,0");  // one stone more than the board holds
  engine.board(own, opposing);
  EXPECT_EQ(engine.next(), "ERROR Board error.");
}

long peakResidentBytes(const EngineProcess& process) {
  std::ifstream status("/proc/" + std::to_string(process.pid()) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) * 1024;
  }
  return -1;
}

// Peak resident memory after a game of ten engine moves. The first has
// enough nodes to outgrow the packed table a new process starts with, so the
// game writes into the position table proper whatever the background thread
// has brought into memory by then.
long peakOverAGame(const std::string& memoryLine) {
  EngineSession engine;
  if (!memoryLine.empty()) engine.send(memoryLine);
  engine.send("INFO max_node 400000");
  engine.start(15);
  std::vector<std::string> opposing = {"7,7"}, own;
  for (int move = 0; move < 10; ++move) {
    engine.board(own, opposing);
    own.push_back(engine.move());
    opposing.push_back(freeCell(own, opposing));
    engine.send("INFO max_node 6000");
  }
  engine.expectSilence();
  return peakResidentBytes(engine);
}

TEST(MemoryCap, PeakResidentMemoryStaysUnderMaxMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "sanitizer shadow memory and quarantine are part of the resident set";
#endif
  const long capped = peakOverAGame("INFO max_memory 64000000");
  EXPECT_GT(capped, 0);
  EXPECT_LT(capped, 64000000);
  // The same game without a cap goes well beyond it, so the cap did the work.
  EXPECT_GT(peakOverAGame(""), 64000000);
}

TEST(AnalysisTool, ThinkWithNBestPrintsOneBlockPerLine) {
  const ProcessResult result = runTool({"think", "--moves", "7,7 8,8 7,8", "--nodes", "3000", "--nbest", "2"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("INFO PV 0\nINFO NUMPV 2\n"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("INFO PV 1\nINFO NUMPV 2\n"), std::string::npos) << result.out;
  EXPECT_EQ(runTool({"think", "--moves", "7,7", "--nbest", "0"}).status, 2);
}

}  // namespace
}  // namespace quenvik::test
