// quenvik play, typed into on a pseudo-terminal as a person would. The
// engine answers under a node limit, so its moves are the same every run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/Pty.h"

namespace quenvik::test {
namespace {

const std::string kPrompt = " to move> ";
const std::string kOverPrompt = "Game over> ";
const std::string kAccepted = "Type a move as h8 or 7,7, or undo, hint, save FILE, new or quit.";
const std::string kDataDir = QUENVIK_TEST_DATA_DIR;

struct Game : PtyProcess {
  // Without colour, so that the board's cells can be read by position.
  explicit Game(std::vector<std::string> args, std::vector<std::string> environment = {"NO_COLOR=1"})
      : PtyProcess(QUENVIK_TOOL_PATH, withPlay(std::move(args)), environment) {}

  static std::vector<std::string> withPlay(std::vector<std::string> args) {
    args.insert(args.begin(), "play");
    return args;
  }

  // Types a line and returns everything up to the next prompt.
  std::string say(const std::string& line, const std::string& prompt = kPrompt) {
    type(line + "\n");
    return readUntil(prompt);
  }
};

// The last board of a screen, from its column letters to the line under it.
std::string lastBoard(const std::string& screen) {
  const std::size_t board = screen.rfind("    a  b");
  if (board == std::string::npos) return "";
  return screen.substr(board, screen.find("X Black", board) - board);
}

// The stones drawn in the last board of a screen: X and O, marked or not.
int stonesOnLastBoard(const std::string& screen) {
  const std::string board = lastBoard(screen);
  if (board.empty()) return -1;
  int stones = 0;
  for (const char c : board) stones += c == 'X' || c == 'O';
  return stones;
}

int countOf(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(ToolPlay, MovesUndoHintAndQuit) {
  Game game({"--size", "9", "--nodes", "300"});
  const std::string start = game.readUntil(kPrompt);
  ASSERT_NE(start, "");
  EXPECT_NE(start.find("You play Black"), std::string::npos);
  EXPECT_EQ(stonesOnLastBoard(start), 0);

  // h8-style and x,y moves; the engine answers each with its own, marked, and
  // the board is drawn once for the two moves.
  std::string screen = game.say("e5");
  std::smatch reply;
  ASSERT_TRUE(std::regex_search(screen, reply, std::regex(R"(Quenvik plays ([a-i])(\d) \((\d),(\d)\): )"))) << screen;
  EXPECT_EQ(countOf(screen, "    a  b"), 1) << screen;
  EXPECT_EQ(stonesOnLastBoard(screen), 2);
  EXPECT_NE(screen.find("(O)"), std::string::npos);
  EXPECT_NE(screen.find("Last move: White " + reply[1].str() + reply[2].str()), std::string::npos);
  // Its evaluation and depth, and the number of the move to come.
  EXPECT_TRUE(std::regex_search(screen, std::regex(R"(: evaluation [+-]?\d+ for Quenvik, depth \d+\.)"))) << screen;
  EXPECT_NE(screen.find("Move 3, Black to move> "), std::string::npos);
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
  EXPECT_TRUE(std::regex_search(screen, std::regex(R"(Hint: [a-i]\d \(\d,\d\) \()"))) << screen;
  screen = game.say("undo");
  EXPECT_EQ(stonesOnLastBoard(screen), 2);
  screen = game.say("undo");
  EXPECT_EQ(stonesOnLastBoard(screen), 0);
  screen = game.say("undo");
  EXPECT_NE(screen.find("Nothing to undo"), std::string::npos);

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

TEST(ToolPlay, FiveEndsTheGameMarksItAndOffersSaveNewOrQuit) {
  // Black (the person) has an open four on row 5: b5 makes five.
  Game person({"--size", "9", "--nodes", "300", "--pos", "c5a1d5a3e5a5f5a7"});
  ASSERT_NE(person.readUntil(kPrompt), "");
  std::string end = person.say("b5", kOverPrompt);
  EXPECT_NE(end.find("Black wins with five: you win."), std::string::npos) << end;
  // The five is marked on row 5, b to f.
  const std::string board = lastBoard(end);
  const std::size_t row5 = board.find("\n 5 ");
  ASSERT_NE(row5, std::string::npos) << board;
  EXPECT_EQ(board.substr(row5 + 4, 18), " O [X][X][X][X][X]") << board;
  // Moves and hints are refused now; new starts again from the given stones.
  EXPECT_NE(person.say("g5", kOverPrompt).find("The game is over"), std::string::npos);
  const std::string again = person.say("new");
  EXPECT_EQ(stonesOnLastBoard(again), 8);
  EXPECT_EQ(countOf(lastBoard(again), "["), 0);
  person.type("quit\n");
  EXPECT_EQ(person.waitExit(), 0);

  // The same position with the person as White: the engine completes it.
  Game engine({"--size", "9", "--nodes", "300", "--white", "--pos", "c5a1d5a3e5a5f5a7"});
  end = engine.readUntil(kOverPrompt);
  EXPECT_NE(end.find("Black wins with five: Quenvik wins."), std::string::npos) << end;
  EXPECT_EQ(countOf(lastBoard(end), "[X]"), 5);
  engine.type("quit\n");
  EXPECT_EQ(engine.waitExit(), 0);
}

TEST(ToolPlay, StartPositionHoldingAFiveIsAFinishedGame) {
  // The .psq record goes on to Black's five: nothing is played on it.
  Game game({"--game", kDataDir + "/free-15.psq", "--nodes", "300"});
  const std::string start = game.readUntil(kOverPrompt);
  EXPECT_NE(start.find("already holds Black's five"), std::string::npos) << start;
  EXPECT_EQ(start.find("Quenvik plays"), std::string::npos);
  EXPECT_EQ(stonesOnLastBoard(start), 29);
  EXPECT_EQ(countOf(lastBoard(start), "[X]"), 5);
  // Its stones are not the person's to take back; a new game starts empty.
  EXPECT_NE(game.say("undo", kOverPrompt).find("Nothing to undo"), std::string::npos);
  EXPECT_EQ(stonesOnLastBoard(game.say("new")), 0);
  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);
}

TEST(ToolPlay, UndoNeverTakesBackTheStartPosition) {
  // Three stones given, White to move: the engine (White) answers first.
  Game game({"--size", "9", "--nodes", "300", "--pos", "e5f6d4"});
  const std::string start = game.readUntil(kPrompt);
  EXPECT_EQ(stonesOnLastBoard(start), 4);
  EXPECT_NE(game.say("undo").find("Nothing to undo"), std::string::npos);
  EXPECT_EQ(stonesOnLastBoard(game.say("a9")), 6);
  EXPECT_EQ(stonesOnLastBoard(game.say("undo")), 4);
  const std::string last = game.say("undo");
  EXPECT_NE(last.find("Nothing to undo"), std::string::npos);
  EXPECT_EQ(stonesOnLastBoard(last), -1);
  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);
}

TEST(ToolPlay, LinesTypedWhileTheEngineThinksAreDropped) {
  Game game({"--size", "9", "--nodes", "300"});
  ASSERT_NE(game.readUntil(kPrompt), "");
  // Both lines reach the terminal before the program reads the first; the
  // second is typed ahead of the engine's answer.
  const std::string screen = game.say("e5\nc3");
  EXPECT_NE(screen.find("Ignored what you typed"), std::string::npos) << screen;
  EXPECT_EQ(stonesOnLastBoard(screen), 2);
  EXPECT_NE(screen.find("Move 3, Black"), std::string::npos);
  // Nothing else waits: the next line is the next move.
  EXPECT_EQ(stonesOnLastBoard(game.say("c3")), 4);
  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);
}

TEST(ToolPlay, CtrlCStopsTheThinkingNotTheProgram) {
  // Without a node limit the engine would think for 100 s.
  Game game({"--size", "9", "--time", "100000"});
  ASSERT_NE(game.readUntil(kPrompt), "");
  game.type("e5\n");
  ASSERT_NE(game.readUntil("Quenvik is thinking"), "");
  game.type("\x03");
  const std::string screen = game.readUntil(kPrompt);
  EXPECT_NE(screen.find("Stopped"), std::string::npos) << screen;
  EXPECT_NE(screen.find("Quenvik plays"), std::string::npos) << screen;
  EXPECT_EQ(stonesOnLastBoard(screen), 2);
  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ToolPlay, SavedGameReadsBackAsTheSamePosition) {
  const std::string path = ::testing::TempDir() + "quenvik-play-" + std::to_string(getpid()) + ".sgf";
  Game game({"--rule", "renju", "--nodes", "300", "--pos", "h8"});
  std::string moves = game.readUntil(kPrompt);
  moves += game.say("j10");
  moves += game.say("save " + path);
  EXPECT_NE(moves.find("Saved 4 moves to " + path), std::string::npos) << moves;
  game.type("quit\n");
  EXPECT_EQ(game.waitExit(), 0);

  // The moves shown on the screen, in order: h8 given, then the engine's
  // answers and the person's j10.
  std::vector<std::string> shown = {"7,7"};
  const std::regex answer(R"(Quenvik plays [a-o]\d+ \((\d+,\d+)\))");
  std::vector<std::string> answers;
  for (std::sregex_iterator it(moves.begin(), moves.end(), answer), end; it != end; ++it) answers.push_back((*it)[1]);
  ASSERT_EQ(answers.size(), 2u) << moves;
  shown = {"7,7", answers[0], "9,9", answers[1]};
  const std::string byHand = shown[0] + " " + shown[1] + " " + shown[2] + " " + shown[3];
  const ProcessResult fromFile = runProcess(QUENVIK_TOOL_PATH, {"eval", "--game", path});
  const ProcessResult given = runProcess(QUENVIK_TOOL_PATH, {"eval", "--rule", "renju", "--moves", byHand});
  EXPECT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, given.out);
  // The rule comes back with the file: Black's forbidden cells are the same.
  EXPECT_EQ(runProcess(QUENVIK_TOOL_PATH, {"forbidden", "--game", path}).out,
            runProcess(QUENVIK_TOOL_PATH, {"forbidden", "--rule", "renju", "--moves", byHand}).out);
  EXPECT_NE(readFile(path).find("RU[4]"), std::string::npos);
  std::remove(path.c_str());
}

TEST(ToolPlay, ColourOnlyOnATerminalWithoutNoColor) {
  const std::string escape = "\x1b[";
  Game coloured({"--size", "9", "--nodes", "300"}, {});
  const std::string screen = coloured.readUntil(kPrompt);
  EXPECT_NE(screen.find(escape), std::string::npos);
  coloured.type("quit\n");
  EXPECT_EQ(coloured.waitExit(), 0);

  Game plain({"--size", "9", "--nodes", "300"});
  EXPECT_EQ(plain.readUntil(kPrompt).find(escape), std::string::npos);
  plain.type("quit\n");
  EXPECT_EQ(plain.waitExit(), 0);

  const ProcessResult piped = runProcess(QUENVIK_TOOL_PATH, {"play", "--size", "9", "--nodes", "300"}, "e5\nquit\n");
  EXPECT_EQ(piped.status, 0);
  EXPECT_NE(piped.out.find("Quenvik plays"), std::string::npos);
  EXPECT_EQ(piped.out.find(escape), std::string::npos);
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
    const std::string end = game.readUntil(kOverPrompt);
    EXPECT_NE(end.find("Black wins with five: you win."), std::string::npos) << rule << end;
    game.type("quit\n");
    EXPECT_EQ(game.waitExit(), 0);
  }
  // Under free-style the flanked five wins at once.
  Game freestyle({"--nodes", "300", "--moves", kFlankedAndOpenFours});
  ASSERT_NE(freestyle.readUntil(kPrompt), "");
  const std::string end = freestyle.say("7,7", kOverPrompt);
  EXPECT_NE(end.find("Black wins with five: you win."), std::string::npos) << end;
  freestyle.type("quit\n");
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
