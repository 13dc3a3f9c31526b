// The protocol front end as a manager sees it: the real engine, driven
// through its standard input and output.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/EngineSession.h"

namespace quenvik::test {
namespace {

using Engine = EngineSession;

TEST(ProtocolStart, ReadyLineThenAboutLine) {
  Engine engine;
  engine.send("ABOUT");
  EXPECT_EQ(engine.next(), kAboutLine);
}

TEST(ProtocolStart, SizesFiveToTwentyAccepted) {
  Engine engine;
  for (const char* line : {"START 4", "START 21", "START 0", "START -15"}) {
    engine.send(line);
    EXPECT_EQ(engine.next(), "ERROR Size error.") << line;
  }
  for (const char* line : {"START 5", "START 20", "start 15", "StArT 15"}) {
    engine.send(line);
    EXPECT_EQ(engine.next(), "OK") << line;
  }
}

TEST(ProtocolUnknown, WordsTheEngineDoesNotKnowAnswerUnknown) {
  Engine engine;
  for (const char* line : {"STARTX 15", "STAR 15", "xyzzy", "BEGINNER", "DONE", "7,7,1", "yxblockreset"}) {
    engine.send(line);
    const std::string reply = engine.next();
    EXPECT_EQ(reply.rfind("UNKNOWN ", 0), 0u) << line << ": " << reply;
  }
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "ERROR No game started.");  // the STARTX above started nothing
}

// Stone lines and DONE belong to their block, even to one refused before
// any game; after the block the loop reads commands again.
TEST(ProtocolUnknown, LinesInsideABlockAreNotCommands) {
  Engine engine;
  for (const char* block : {"BOARD", "yxboard", "SWAP2BOARD"}) {
    engine.send(block);
    EXPECT_EQ(engine.next(), "ERROR No game started.") << block;
    engine.send("7,7,1");
    engine.send("DONE");
  }
  engine.start(15);
  engine.send("YXBOARD");
  engine.send("7,7,2");
  engine.send("8,8,1");
  engine.send("DONE");
  engine.send("INFO no_such_key 1");
  engine.expectSilence();
}

TEST(ProtocolStart, UnreadableOrHugeSizeChangesNothing) {
  Engine engine;
  engine.start(15);
  engine.send("TURN 7,7");
  EXPECT_TRUE(isMoveLine(engine.move()));
  for (const char* line : {"START", "START x", "START 4294967311", "RECTSTART 15", "RECTSTART 4294967311,15"}) {
    engine.send(line);
    EXPECT_EQ(engine.next(), "ERROR Size error.") << line;
  }
  // Both moves are still on record.
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "ERROR Takeback error.");
}

TEST(ProtocolStart, RefusedSizeStillEndsTheOldGame) {
  Engine engine;
  engine.start(15);
  engine.send("TURN 7,7");
  EXPECT_TRUE(isMoveLine(engine.move()));
  engine.send("START 21");
  EXPECT_EQ(engine.next(), "ERROR Size error.");
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "ERROR Takeback error.");
  engine.send("BEGIN");
  EXPECT_EQ(engine.move(), "7,7");  // the board size of the old game stays
}

TEST(ProtocolRectStart, SquareAcceptedOthersLeaveTheGameAlone) {
  Engine engine;
  engine.send("RECTSTART 15,15");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("TURN 1,1");
  EXPECT_TRUE(isMoveLine(engine.move()));
  for (const char* line : {"RECTSTART 15,20", "RECTSTART 4,4", "RECTSTART 21,21", "RECTSTART 15 ,15"}) {
    engine.send(line);
    EXPECT_EQ(engine.next(), "ERROR Size error.") << line;
  }
  engine.send("TURN 1,1");
  EXPECT_EQ(engine.next(), "ERROR Move error.");  // the old game's stone is still there
  engine.send("rectstart 20,20");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("BEGIN");
  EXPECT_EQ(engine.move(), "10,10");
}

TEST(ProtocolBegin, OpensInTheCentreWithoutMessages) {
  Engine engine;
  engine.start(15);
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "7,7");
  engine.start(20);
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "10,10");
  engine.start(5);
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "2,2");
}

TEST(ProtocolBegin, MoveRequestsBeforeAnyGameAreRefused) {
  Engine engine;
  for (const char* line : {"BEGIN", "TURN 7,7", "BOARD"}) {
    engine.send(line);
    EXPECT_EQ(engine.next(), "ERROR No game started.") << line;
  }
  engine.send("DONE");
  engine.send("START 99");
  EXPECT_EQ(engine.next(), "ERROR Size error.");
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "ERROR No game started.");
}

TEST(ProtocolTurn, BadMovesAreRefusedAndChangeNothing) {
  Engine engine;
  engine.start(15);
  engine.send("TURN 7,7");
  const std::string reply = engine.move();
  ASSERT_TRUE(isMoveLine(reply));
  for (const std::string& line :
       std::vector<std::string>{"TURN 7,7", "TURN " + reply, "TURN 15,0", "TURN 0,15", "TURN -1,3", "TURN 3", "TURN",
                                "TURN a,b", "TURN 4294967303,7", "TURN 3 ,4"}) {
    engine.send(line);
    EXPECT_EQ(engine.next(), "ERROR Move error.") << line;
  }
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("TAKEBACK");
  EXPECT_EQ(engine.next(), "ERROR Takeback error.");
}

TEST(ProtocolTurn, TheEnginesAnswerIsOnTheRecord) {
  Engine engine;
  engine.start(10);
  engine.send("TURN 4,4");
  const std::string reply = engine.move();
  ASSERT_TRUE(isMoveLine(reply));
  engine.send("TURN " + reply);
  EXPECT_EQ(engine.next(), "ERROR Move error.");
}

TEST(ProtocolTakeback, RemovesTheLastMoveOnly) {
  Engine engine;
  engine.start(15);
  engine.send("TAKEBACK 3,3");
  EXPECT_EQ(engine.next(), "ERROR Takeback error.");
  engine.send("TURN 3,3");
  const std::string reply = engine.move();
  engine.send("takeback " + reply);
  EXPECT_EQ(engine.next(), "OK");
  engine.send("TURN " + reply);  // free again
  EXPECT_TRUE(isMoveLine(engine.move()));
  engine.send("TURN 3,3");  // still taken
  EXPECT_EQ(engine.next(), "ERROR Move error.");
}

TEST(ProtocolRestart, ClearsTheRecordKeepsTheSize) {
  Engine engine;
  engine.start(20);
  engine.send("TURN 0,0");
  EXPECT_TRUE(isMoveLine(engine.move()));
  engine.send("RESTART");
  EXPECT_EQ(engine.next(), "OK");
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "10,10");
}

TEST(ProtocolInfo, SettingsAreSilent) {
  Engine engine;
  engine.send("INFO timeout_turn 5000");
  engine.send("INFO timeout_match 0");
  engine.send("info rule 4");
  engine.send("INFO folder /tmp/somewhere");
  engine.send("INFO max_node");
  engine.send("INFO unknown_key 3");
  engine.send("INFO");
  engine.send("INFO max_node 99999999999");
  engine.expectSilence();
}

TEST(ProtocolBoard, OwnerOneIsTheEnginesStone) {
  for (const char* first : {"7,7,1", "8,8,2"}) {
    Engine engine;
    engine.start(15);
    engine.send("BOARD");
    engine.send(first);
    engine.send(std::string(first) == "7,7,1" ? "8,8,2" : "7,7,1");
    engine.send("DONE");
    const std::string reply = engine.move();
    ASSERT_TRUE(isMoveLine(reply)) << reply;
    EXPECT_NE(reply, "7,7");
    EXPECT_NE(reply, "8,8");
    engine.send("TURN 8,8");
    EXPECT_EQ(engine.next(), "ERROR Move error.");
    // Three moves on record: two from the block, one answered.
    for (int i = 0; i < 3; ++i) {
      engine.send("TAKEBACK");
      EXPECT_EQ(engine.next(), "OK");
    }
    engine.send("TAKEBACK");
    EXPECT_EQ(engine.next(), "ERROR Takeback error.");
  }
}

TEST(ProtocolBoard, OneOpposingStoneMakesTheEngineSecond) {
  Engine engine;
  engine.start(15);
  engine.send("BOARD");
  engine.send("7,7,2");
  engine.send("done");
  const std::string reply = engine.move();
  ASSERT_TRUE(isMoveLine(reply));
  EXPECT_NE(reply, "7,7");
}

TEST(ProtocolBoard, EveryOwnerButOneIsTheOpponents) {
  // Read as the engine's own, a lone stone would fail the block; read as the
  // opponent's, the engine answers as the second player.
  for (const char* owner : {"0", "3", "4", "-1"}) {
    Engine engine;
    engine.start(15);
    engine.send("BOARD");
    engine.send(std::string("7,7,") + owner);
    engine.send("DONE");
    const std::string reply = engine.next();
    ASSERT_TRUE(isMoveLine(reply) || isMessageLine(reply)) << owner << ": " << reply;
    const std::string move = isMoveLine(reply) ? reply : engine.move();
    ASSERT_TRUE(isMoveLine(move)) << owner << ": " << move;
    EXPECT_NE(move, "7,7") << owner;
    engine.send("TURN 8,9");
    EXPECT_TRUE(isMoveLine(engine.move())) << owner;  // the game goes on from the block
  }
}

// Each block fails; the record is left empty and the decision runs on it, so
// the answer is the centre.
TEST(ProtocolBoard, FailedBlocksAnswerBoardErrorThenTheCentre) {
  const std::vector<std::vector<std::string>> blocks = {
      {"1,1,1", "2,2,1", "3,3,2"},               // two own, one opposing
      {"1,1,2", "2,2,2"},                        // two more opposing
      {"1,1,1", "x,2,2"},                        // unreadable stone line
      {"1,1,1", "15,2,2"},                       // off the board
      {"1,1,1", "1,1,2"},                        // two stones on one cell
      {"1,1,1", "2,2,2", std::string(99, '3')},  // line longer than a block line may be
      {"1,1,1", "2,2"},                          // missing owner
  };
  for (const auto& block : blocks) {
    Engine engine;
    engine.start(15);
    engine.send("TURN 0,0");
    EXPECT_TRUE(isMoveLine(engine.move()));
    engine.send("BOARD");
    for (const auto& line : block) engine.send(line);
    engine.send("DONE");
    EXPECT_EQ(engine.next(), "ERROR Board error.") << block.back();
    EXPECT_EQ(engine.next(), "7,7") << block.back();
  }
}

TEST(ProtocolBoard, LongGamesFitButNotMoreStonesThanTheBoardHolds) {
  Engine engine;
  engine.start(20);
  engine.send("BOARD");
  for (int i = 0; i < 228; ++i)
    engine.send(std::to_string(i % 20) + "," + std::to_string(i / 20) + "," + (i % 2 ? "2" : "1"));
  engine.send("DONE");
  int x = -1, y = -1;
  ASSERT_EQ(std::sscanf(engine.move().c_str(), "%d,%d", &x, &y), 2);
  EXPECT_GE(x + 20 * y, 228);  // on a free cell
  engine.start(5);
  engine.send("BOARD");
  for (int i = 0; i < 26; ++i)
    engine.send(std::to_string(i % 5) + "," + std::to_string(i / 5 % 5) + "," + (i % 2 ? "2" : "1"));
  engine.send("DONE");
  EXPECT_EQ(engine.next(), "ERROR Board error.");
  EXPECT_EQ(engine.next(), "2,2");
}

TEST(ProtocolBoard, EmptyBlockOpensTheGame) {
  Engine engine;
  engine.start(15);
  engine.send("BOARD");
  engine.send("DONE");
  EXPECT_EQ(engine.next(), "7,7");
}

TEST(ProtocolLines, BlankLinesAreIgnored) {
  Engine engine;
  engine.send("");
  engine.send("   \t  ");
  engine.sendRaw("\r\n");
  engine.expectSilence();
}

TEST(ProtocolLines, TooLongLinesAreRefusedWhole) {
  Engine engine;
  engine.start(15);
  engine.send("START 20" + std::string(92, ' '));  // 100 characters
  EXPECT_EQ(engine.next(), "ERROR Line too long.");
  engine.send("START 20" + std::string(91, ' '));  // 99 characters is within the limit
  EXPECT_EQ(engine.next(), "OK");
  engine.send(std::string(100000, 'A'));
  EXPECT_EQ(engine.next(), "ERROR Line too long.");
  engine.send("BEGIN");
  EXPECT_EQ(engine.next(), "10,10");
}

TEST(ProtocolLines, CarriageReturnLineEndsAreAccepted) {
  Engine engine;
  engine.sendRaw("START 15\r\nTURN 7,7\r\n");
  EXPECT_EQ(engine.next(), "OK");
  EXPECT_TRUE(isMoveLine(engine.move()));
}

TEST(ProtocolStop, YxstopWhileIdleIsIgnored) {
  Engine engine;
  engine.send("YXSTOP");
  engine.start(15);
  engine.send("YXSTOP");
  engine.expectSilence();
}

TEST(ProtocolEnd, EndExitsWithStatusZero) {
  Engine engine;
  engine.send("END");
  EXPECT_EQ(engine.readLine(), std::nullopt);
  EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolEnd, EndOfInputAfterTurnStillGetsTheMove) {
  Engine engine;
  engine.start(15);
  engine.send("TURN 7,7");
  engine.closeInput();
  std::vector<std::string> seen;
  const auto move = engine.readUntil([](const std::string& line) { return line.rfind("MESSAGE", 0) != 0; }, &seen);
  ASSERT_TRUE(move.has_value());
  EXPECT_TRUE(isMoveLine(*move)) << *move;
  EXPECT_EQ(engine.readLine(), std::nullopt);
  EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ProtocolEnd, EndOfInputWhileIdleExitsCleanly) {
  Engine engine;
  engine.closeInput();
  EXPECT_EQ(engine.readLine(), std::nullopt);
  EXPECT_EQ(engine.waitExit(), 0);
}

}  // namespace
}  // namespace quenvik::test
