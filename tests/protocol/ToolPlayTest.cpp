// quenvik play, typed into on a pseudo-terminal as a person would. The
// engine answers under a node limit, so its moves are the same every run.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/Pty.h"

namespace quenvik::test {
namespace {

const std::string kPrompt = " to move> ";
const std::string kAccepted = "Type a move as h8 or 7,7, or undo, hint or quit.";

struct Game : PtyProcess {
  explicit Game(std::vector<std::string> args) : PtyProcess(QUENVIK_TOOL_PATH, withPlay(std::move(args))) {}

  static std::vector<std::string> withPlay(std::vector<std::string> args) {
    args.insert(args.begin(), "play");
    return args;
  }

  // Types a line and returns everything up to the next prompt.
  std::string say(const std::string& line) {
    type(line + "\n");
    return readUntil(kPrompt);
  }
};

// The stones drawn in the last board of a screen: X and O, bracketed or not.
int stonesOnLastBoard(const std::string& screen) {
  const std::size_t board = screen.rfind("    a  b");
  if (board == std::string::npos) return -1;
  const std::size_t end = screen.find("X Black", board);
  int stones = 0;
  for (std::size_t i = board; i < end; ++i) stones += screen[i] == 'X' || screen[i] == 'O';
  return stones;
}

TEST(ToolPlay, MovesUndoHintAndQuit) {
  Game game({"--size", "9", "--nodes", "300"});
  const std::string start = game.readUntil(kPrompt);
  ASSERT_NE(start, "");
  EXPECT_NE(start.find("You play Black"), std::string::npos);
  EXPECT_EQ(stonesOnLastBoard(start), 0);

  // h8-style and x,y moves; the engine answers each with its own, marked.
  std::string screen = game.say("e5");
  std::smatch reply;
  ASSERT_TRUE(std::regex_search(screen, reply, std::regex(R"(Quenvik plays ([a-i])(\d) \((\d),(\d)\))"))) << screen;
  EXPECT_EQ(stonesOnLastBoard(screen), 2);
  EXPECT_NE(screen.find("(O)"), std::string::npos);
  EXPECT_NE(screen.find("Last move: White " + reply[1].str() + reply[2].str()), std::string::npos);
  screen = game.say("3,3");
  EXPECT_EQ(stonesOnLastBoard(screen), 4);
  EXPECT_NE(screen.find(" X "), std::string::npos);

  // Taken and off-board cells are refused; the game goes on unchanged.
  screen = game.say("e5");
  EXPECT_NE(screen.find("e5 (4,4) is taken"), std::string::npos) << screen;
  EXPECT_EQ(stonesOnLastBoard(screen), -1);  // no board drawn
  screen = game.say("z9");
  EXPECT_NE(screen.find("z9 is off the board"), std::string::npos) << screen;

  // The hint names an empty cell; undo takes back the last pair.
  screen = game.say("hint");
  EXPECT_TRUE(std::regex_search(screen, std::regex(R"(Hint: [a-i]\d \(\d,\d\)\.)"))) << screen;
  screen = game.say("undo");
  EXPECT_EQ(stonesOnLastBoard(screen), 2);
  screen = game.say("undo");
  EXPECT_EQ(stonesOnLastBoard(screen), 0);
  screen = game.say("undo");
  EXPECT_NE(screen.find("Nothing to undo."), std::string::npos);

  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);
}

TEST(ToolPlay, JunkLongAndBinaryLinesGetOneLineAndChangeNothing) {
  Game game({"--size", "9", "--nodes", "300"});
  ASSERT_NE(game.readUntil(kPrompt), "");
  const std::vector<std::string> junk = {
      "hello",       "e",    "55", "e5e6", std::string(3000, 'x'), std::string("\x01\x02\xfe\xff e5", 7),
      "undo please", "7,7,7"};
  for (const std::string& line : junk) {
    const std::string screen = game.say(line);
    EXPECT_NE(screen.find(kAccepted), std::string::npos) << line.substr(0, 20);
    EXPECT_EQ(screen.find("Quenvik plays"), std::string::npos) << line.substr(0, 20);
    EXPECT_EQ(stonesOnLastBoard(screen), -1);
  }
  // Still Black's first move.
  EXPECT_EQ(stonesOnLastBoard(game.say("e5")), 2);
  game.type("q\n");
  EXPECT_EQ(game.waitExit(), 0);
}

TEST(ToolPlay, FiveEndsTheGameAndSaysWhoWon) {
  // Black (the person) has an open four on row 5: b5 makes five.
  Game person({"--size", "9", "--nodes", "300", "--pos", "c5a1d5a3e5a5f5a7"});
  ASSERT_NE(person.readUntil(kPrompt), "");
  person.type("b5\n");
  std::string end = person.readToEnd();
  EXPECT_NE(end.find("Black wins with five: you win."), std::string::npos) << end;
  EXPECT_EQ(person.waitExit(), 0);

  // The same position with the person as White: the engine completes it.
  Game engine({"--size", "9", "--nodes", "300", "--white", "--pos", "c5a1d5a3e5a5f5a7"});
  end = engine.readToEnd();
  EXPECT_NE(end.find("Black wins with five: Quenvik wins."), std::string::npos) << end;
  EXPECT_EQ(engine.waitExit(), 0);
}

// Black (the person) to move with four on row 7 between White's 2,7 and 8,7,
// and an open four on row 10; White has nothing.
const std::string kFlankedAndOpenFours = "3,7 2,7 4,7 8,7 5,7 13,0 6,7 14,2 3,10 0,14 4,10 12,14 5,10 14,14 6,10 0,0";

TEST(ToolPlay, UnderCaroAFlankedFiveGoesOnAndAnOpenOneWins) {
  for (const char* rule : {"caro", "caro-exact"}) {
    Game game({"--rule", rule, "--nodes", "300", "--moves", kFlankedAndOpenFours});
    ASSERT_NE(game.readUntil(kPrompt), "");
    // 7,7 makes exactly five between two White stones: no win, White plays.
    const std::string screen = game.say("7,7");
    EXPECT_NE(screen.find("no win under Caro"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("wins with five"), std::string::npos) << screen;
    std::smatch reply;
    ASSERT_TRUE(std::regex_search(screen, reply, std::regex(R"(Quenvik plays [a-o]\d+ \((\d+),(\d+)\))"))) << screen;
    // White can stop one end of the open four only.
    game.type(reply[1] == "2" && reply[2] == "10" ? "7,10\n" : "2,10\n");
    const std::string end = game.readToEnd();
    EXPECT_NE(end.find("Black wins with five: you win."), std::string::npos) << rule << end;
    EXPECT_EQ(game.waitExit(), 0);
  }
  // Under free-style the flanked five wins at once.
  Game freestyle({"--nodes", "300", "--moves", kFlankedAndOpenFours});
  ASSERT_NE(freestyle.readUntil(kPrompt), "");
  freestyle.type("7,7\n");
  const std::string end = freestyle.readToEnd();
  EXPECT_NE(end.find("Black wins with five: you win."), std::string::npos) << end;
  EXPECT_EQ(freestyle.waitExit(), 0);
}

TEST(ToolPlay, RenjuShowsAndRefusesBlacksForbiddenPoints) {
  // Black to move; 9,9 (j10) is a double-three.
  Game game({"--rule", "renju", "--nodes", "300", "--moves", "7,7 0,0 8,8 2,0 7,9 0,4 8,9 4,0"});
  const std::string start = game.readUntil(kPrompt);
  EXPECT_NE(start.find("* forbidden to Black"), std::string::npos) << start;
  const std::size_t row10 = start.rfind("\n10 ");
  ASSERT_NE(row10, std::string::npos);
  // Row 10, column j: the tenth cell of three characters after the label.
  EXPECT_EQ(start.substr(row10 + 4 + 9 * 3, 3), " * ") << start.substr(row10, 64);
  const std::string refused = game.say("j10");
  EXPECT_NE(refused.find("j10 (9,9) is forbidden to Black (double-three)"), std::string::npos) << refused;
  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);
}

}  // namespace
}  // namespace quenvik::test
