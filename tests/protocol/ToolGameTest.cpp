// quenvik on real game records: the readers of every format, their refusals,
// and analyse with its flags, JSON, picture and Ctrl-C, driven as a shell
// user would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/Pty.h"

namespace quenvik::test {
namespace {

using Moves = std::vector<std::pair<int, int>>;

const std::string kDataDir = QUENVIK_TEST_DATA_DIR;
const std::string kSgf = kDataDir + "/match-runner.sgf";
const std::string kPsq = kDataDir + "/free-15.psq";
const std::string kMoveList = kDataDir + "/free-15.txt";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// A file in the test's own temporary folder, removed with the fixture.
struct TempFiles {
  std::vector<std::string> paths;
  ~TempFiles() {
    for (const auto& path : paths) std::remove(path.c_str());
  }
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + "quenvik-" + std::to_string(getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary) << text;
    paths.push_back(path);
    return path;
  }
};

// The games of a match runner's SGF file, decoded here on their own terms:
// one game a line, moves ;B[xy] / ;W[xy] with a = 0.
std::vector<Moves> decodeSgfGames(const std::string& text) {
  std::vector<Moves> games;
  std::istringstream lines(text);
  std::string line;
  const std::regex move(R"(;[BW]\[([a-t])([a-t])\])");
  while (std::getline(lines, line)) {
    Moves game;
    for (std::sregex_iterator it(line.begin(), line.end(), move), end; it != end; ++it) {
      game.push_back({(*it)[1].str()[0] - 'a', (*it)[2].str()[0] - 'a'});
    }
    games.push_back(game);
  }
  return games;
}

std::string movesText(const Moves& moves, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count && i < moves.size(); ++i) {
    if (i > 0) text += ' ';
    text += std::to_string(moves[i].first);
    text += ',';
    text += std::to_string(moves[i].second);
  }
  return text;
}

std::string posText(const Moves& moves) {
  std::string text;
  for (const auto& [x, y] : moves) text += static_cast<char>('a' + x) + std::to_string(y + 1);
  return text;
}

std::string toolOut(const std::vector<std::string>& args) {
  const ProcessResult result = runTool(args);
  EXPECT_EQ(result.status, 0) << result.err;
  return result.out;
}

void expectRefusal(const std::vector<std::string>& args, const std::string& fragment) {
  const ProcessResult result = runTool(args);
  std::string shown;
  for (const auto& arg : args) shown += arg + " ";
  EXPECT_EQ(result.status, 2) << shown;
  EXPECT_EQ(result.out, "") << shown;
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << shown << result.err;
  EXPECT_NE(result.err.find(fragment), std::string::npos) << shown << "\n" << result.err;
}

TEST(ToolGameFiles, EveryFormatGivesTheSamePosition) {
  const std::vector<Moves> games = decodeSgfGames(readFile(kSgf));
  ASSERT_EQ(games.size(), 4u);
  const Moves& game = games[1];  // the .psq and text files hold this one
  for (const std::size_t ply : {std::size_t{0}, std::size_t{9}, game.size()}) {
    const std::string plyText = std::to_string(ply);
    const std::string expected = toolOut({"eval", "--moves", movesText(game, ply)});
    EXPECT_EQ(toolOut({"eval", "--game", kSgf, "--game-index", "2", "--ply", plyText}), expected) << ply;
    EXPECT_EQ(toolOut({"eval", "--game", kPsq, "--ply", plyText}), expected) << ply;
    EXPECT_EQ(toolOut({"eval", "--game", kMoveList, "--ply", plyText}), expected) << ply;
    EXPECT_EQ(toolOut({"eval", "--pos", posText(Moves(game.begin(), game.begin() + ply))}), expected) << ply;
  }
}

TEST(ToolGameFiles, SgfSizeAndRuleComeFromTheFile) {
  // Game 1 is Renju on 20x20: its forbidden cells at every ply are those of
  // the same moves given by hand, and some ply has some.
  const Moves game = decodeSgfGames(readFile(kSgf))[0];
  bool someForbidden = false;
  for (std::size_t ply = 0; ply <= game.size(); ply += 2) {
    const std::string byHand =
        toolOut({"forbidden", "--size", "20", "--rule", "renju", "--moves", movesText(game, ply)});
    EXPECT_EQ(toolOut({"forbidden", "--game", kSgf, "--ply", std::to_string(ply)}), byHand) << ply;
    someForbidden = someForbidden || !byHand.empty();
  }
  EXPECT_TRUE(someForbidden);
  // An explicit --rule overrides the file's.
  EXPECT_EQ(toolOut({"forbidden", "--game", kSgf, "--rule", "freestyle"}), "");
}

TEST(ToolGameFiles, BrokenRecordsAreRefusedNamingTheFault) {
  TempFiles files;
  const std::string sgf = readFile(kSgf);
  const std::string psq = readFile(kPsq);
  // Game 3 (line 3) of the match file, its second move moved onto the first.
  std::string taken = sgf;
  const std::size_t third = taken.find('\n', taken.find('\n') + 1) + 1;
  const std::size_t white = taken.find(";W[", third);
  taken.replace(white + 3, 2, taken.substr(taken.find(";B[", third) + 3, 2));
  const std::string takenPath = files.write("taken.sgf", taken);
  expectRefusal({"eval", "--game", takenPath, "--game-index", "3"}, takenPath + ": game 3 move 2 (line 3)");
  // The other games of that file are still fine.
  EXPECT_EQ(runTool({"eval", "--game", takenPath, "--game-index", "2"}).status, 0);

  std::string offBoard = sgf;
  offBoard.replace(offBoard.find(";B[", third) + 3, 2, "zz");
  // A refusal names the move as the file writes it, then counted from 0.
  expectRefusal({"eval", "--game", files.write("off.sgf", offBoard), "--game-index", "3"},
                "game 3 move 1 (line 3): move B[zz] (25,25) is off the 15x15 board");
  std::string bigBoard = sgf;
  bigBoard.replace(bigBoard.find("SZ[15]"), 6, "SZ[21]");
  expectRefusal({"eval", "--game", files.write("big.sgf", bigBoard)}, ":2: board size 21 is out of range");
  expectRefusal({"eval", "--game", kSgf, "--game-index", "5"}, "there is no game 5 (the file holds 4 games)");
  expectRefusal({"eval", "--game", kSgf, "--game-index", "0"}, "--game-index counts from 1");
  expectRefusal({"eval", "--game", files.write("open.sgf", sgf.substr(0, sgf.size() - 2))}, "not closed");
  expectRefusal({"eval", "--game", files.write("gm.sgf", "(;FF[4]GM[1]SZ[15];B[hh])")}, "GM[1]");
  expectRefusal({"eval", "--game", files.write("turn.sgf", "(;GM[4]SZ[15];B[hh];B[ii])")}, "out of turn");

  // .psq: line 4 of the real file (its third move) broken in several ways.
  const auto psqWithLine4 = [&](const std::string& replacement) {
    std::string text = psq;
    std::size_t start = 0;
    for (int line = 1; line < 4; ++line) start = text.find('\n', start) + 1;
    text.replace(start, text.find('\r', start) - start, replacement);
    return text;
  };
  // .psq counts from 1: the refusal says 16,3 as the file does.
  expectRefusal({"eval", "--game", files.write("off.psq", psqWithLine4("16,3,120"))},
                "off.psq:4: move 16,3 (15,2 counted from 0) is off the 15x15 board");
  expectRefusal({"eval", "--game", files.write("taken.psq", psqWithLine4("8,8,120"))},
                "taken.psq:4: move 8,8 (7,7 counted from 0) is on a cell taken by move 1");
  expectRefusal({"eval", "--game", files.write("junk.psq", psqWithLine4("8,x,120"))}, "junk.psq:4: unreadable move");
  std::string badHeader = psq;
  badHeader.replace(0, badHeader.find(','), "Piskvorky 15x16");
  expectRefusal({"eval", "--game", files.write("rect.psq", badHeader)}, "rect.psq:1: the board is not square");
  expectRefusal({"eval", "--game", kPsq, "--game-index", "2"}, "there is no game 2");

  expectRefusal({"eval", "--game", files.write("taken.txt", "7,7 8,8\n9,9 7,7\n")},
                "taken.txt:2: move 7,7 is on a cell taken by move 1");
  expectRefusal({"eval", "--game", files.write("junk.txt", "7,7 8,8\n9,9 x\n")}, "junk.txt:2: unreadable move 'x'");
  expectRefusal({"eval", "--game", files.write("prose.txt", "Moves of the game\n7,7\n")}, "unknown format");
  expectRefusal({"eval", "--game", files.write("empty.txt", "")}, "empty");
  expectRefusal({"eval", "--game", kDataDir + "/no-such-file.sgf"}, "no-such-file.sgf: cannot read the file");
  expectRefusal({"eval", "--game", kDataDir}, "cannot read the file");
  expectRefusal({"eval", "--game", kPsq, "--size", "19"}, "not --size 19");
  expectRefusal({"eval", "--game", kPsq, "--ply", "30"}, "past the end of the game (29 moves)");
  expectRefusal({"eval", "--game", kPsq, "--moves", "7,7"}, "give the position once");
  expectRefusal({"eval", "--pos", "h8h8"}, "move h8 (7,7) is on a cell taken by move 1");
  expectRefusal({"eval", "--pos", "h8z99"}, "move z99 (25,98) is off the 15x15 board");
  expectRefusal({"eval", "--moves", "7,7 15,2"}, "move 15,2 is off the 15x15 board");
  expectRefusal({"eval", "--pos", "h8i"}, "no number after 'i'");
  expectRefusal({"eval", "--pos", "8h"}, "unreadable pos");
  expectRefusal({"eval", "--size", "9", "--pos", "j1"}, "move j1 (9,0) is off the 9x9 board");
  expectRefusal({"eval", "--game", kPsq, "--game", kSgf}, "--game");
}

// The options of a help text, each with its description: "--name VALUE text".
std::vector<std::string> undescribedOptions(const std::string& help) {
  std::vector<std::string> bare;
  std::istringstream lines(help);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string name, value, description;
    words >> name;
    if (name.rfind("--", 0) != 0 && name.rfind("-h,", 0) != 0) continue;
    if (!(words >> value >> description)) bare.push_back(name);
  }
  return bare;
}

TEST(ToolGameFiles, EverySubcommandHasCompleteHelp) {
  for (const char* subcommand :
       {"forbidden", "patterns", "eval", "search", "vcf", "think", "bench", "analyse", "play"}) {
    const ProcessResult result = runTool({subcommand, "--help"});
    EXPECT_EQ(result.status, 0) << subcommand;
    EXPECT_NE(result.out.find(std::string("quenvik ") + subcommand), std::string::npos) << result.out;
    // Bench decides its own positions; every other subcommand takes one.
    EXPECT_EQ(result.out.find("--game") != std::string::npos, std::string(subcommand) != "bench") << subcommand;
    EXPECT_EQ(undescribedOptions(result.out), std::vector<std::string>()) << subcommand << "\n" << result.out;
    // A subcommand's help speaks of its own defaults, not another's.
    EXPECT_EQ(result.out.find("analyse:"), std::string::npos) << subcommand;
  }
  expectRefusal({"analyse", "--game", kPsq, "--frobnicate"}, "unknown option '--frobnicate'");
  expectRefusal({"analyse", "--game", kPsq, "--nodes", "100", "--time", "100"}, "not both");
  // Options a subcommand would not use are refused, not ignored.
  expectRefusal({"bench", "--moves", "7,7"}, "bench takes no position, so not --moves");
  expectRefusal({"analyse", "--game", kSgf, "--svg", "x.svg", "--nodes", "100"}, "--svg draws one game");
  expectRefusal({"analyse", "--game", kSgf, "--game", kPsq, "--game-index", "2"}, "--game-index picks a game of one");
}

TEST(ToolGameFiles, VersionIsTheEngines) {
  const ProcessResult version = runTool({"--version"});
  EXPECT_EQ(version.status, 0);
  EngineProcess engine;
  const std::optional<std::string> ready = engine.readLine();
  ASSERT_TRUE(ready);
  // "MESSAGE Quenvik 5.1.1 is ready." and "quenvik 5.1.1".
  const std::string number = ready->substr(16, ready->find(" is ready") - 16);
  EXPECT_EQ(version.out, "quenvik " + number + "\n");
  engine.send("END");
  EXPECT_EQ(engine.waitExit(), 0);
}

// ---- analyse ----

nlohmann::json analyseJson(const std::vector<std::string>& args) {
  std::vector<std::string> full = {"analyse", "--json"};
  full.insert(full.end(), args.begin(), args.end());
  const ProcessResult result = runTool(full);
  EXPECT_EQ(result.status, 0) << result.err;
  return nlohmann::json::parse(result.out);
}

bool hasFlag(const nlohmann::json& ply, const std::string& flag) {
  for (const auto& given : ply["flags"]) {
    if (given == flag) return true;
  }
  return false;
}

// Five in a row by the stones of one colour, counted here on its own.
bool fiveAt(const Moves& moves, std::size_t last) {
  const auto own = [&](int x, int y) {
    for (std::size_t i = last % 2; i <= last; i += 2) {
      if (moves[i] == std::make_pair(x, y)) return true;
    }
    return false;
  };
  const int steps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  for (const auto& step : steps) {
    int run = 1;
    for (int sign : {1, -1}) {
      for (int k = 1; own(moves[last].first + sign * k * step[0], moves[last].second + sign * k * step[1]); ++k) ++run;
    }
    if (run >= 5) return true;
  }
  return false;
}

TEST(ToolAnalyse, FlagsAWinAMissedWinAndABlunder) {
  // Black's four 7,3..7,6 is blocked at 7,2: Black to move wins at 7,7, plays
  // 12,12 instead; White blocks, and Black later makes five at the top.
  const Moves game = {{7, 3}, {0, 0},   {7, 4}, {0, 14}, {7, 5}, {7, 2}, {7, 6}, {14, 0}, {12, 12}, {7, 7},
                      {1, 5}, {14, 14}, {2, 5}, {10, 0}, {3, 5}, {0, 8}, {4, 5}, {14, 7}, {5, 5}};
  const std::string moves = movesText(game, game.size());
  const nlohmann::json analysis = analyseJson({"--moves", moves, "--nodes", "3000"});
  const auto& plies = analysis["plies"];
  ASSERT_EQ(plies.size(), game.size());
  EXPECT_TRUE(analysis["complete"].get<bool>());
  for (std::size_t i = 0; i < game.size(); ++i) {
    const auto& ply = plies[i];
    EXPECT_EQ(ply["played"]["x"], game[i].first);
    EXPECT_EQ(ply["colour"], i % 2 == 0 ? "black" : "white");
    EXPECT_EQ(hasFlag(ply, "win"), fiveAt(game, i)) << "ply " << i + 1;
    EXPECT_FALSE(hasFlag(ply, "forbidden"));
    // A missed win: the threat search found one for the mover, and the move
    // played neither makes five nor keeps a decided win.
    const std::string vcf = toolOut({"vcf", "--moves", movesText(game, i)});
    const bool moverHadWin = vcf.rfind("to-move: win", 0) == 0;
    if (!moverHadWin) {
      EXPECT_FALSE(hasFlag(ply, "missed-win")) << "ply " << i + 1;
    }
  }
  EXPECT_TRUE(hasFlag(plies[8], "missed-win"));
  EXPECT_TRUE(hasFlag(plies[8], "blunder"));
  EXPECT_EQ(plies[8]["before"], 20000);
  EXPECT_LT(plies[8]["after"].get<int>(), 15000);
  EXPECT_TRUE(hasFlag(plies[18], "win"));

  // The table says the same, one row per ply, each move in both notations.
  const std::string table = toolOut({"analyse", "--moves", moves, "--nodes", "3000"});
  std::istringstream rows(table);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(row.rfind("ply  colour  played", 0), 0u);
  const std::regex fields(
      R"(^\s*(\d+)  (black|white)\s+([a-o]\d+) \((\d+,\d+)\)\s+([a-o]\d+) \((\d+,\d+)\)\s+(-?\d+)\s+(-?\d+)(.*)$)");
  for (const auto& ply : plies) {
    ASSERT_TRUE(std::getline(rows, row));
    std::smatch cells;
    ASSERT_TRUE(std::regex_match(row, cells, fields)) << row;
    EXPECT_EQ(std::stoi(cells[1]), ply["ply"]);
    EXPECT_EQ(cells[3].str(), ply["played"]["pos"]);
    EXPECT_EQ(cells[4].str(), movesText({{ply["played"]["x"], ply["played"]["y"]}}, 1));
    EXPECT_EQ(posText({{ply["engine"]["x"], ply["engine"]["y"]}}), cells[5].str());
    EXPECT_EQ(cells[6].str(), movesText({{ply["engine"]["x"], ply["engine"]["y"]}}, 1));
    EXPECT_EQ(std::stoi(cells[7]), ply["before"]);
    EXPECT_EQ(std::stoi(cells[8]), ply["after"]);
    std::istringstream flagWords(cells[9].str());
    std::vector<std::string> flags;
    for (std::string flag; flagWords >> flag;) flags.push_back(flag);
    EXPECT_EQ(flags, ply["flags"].get<std::vector<std::string>>());
  }
}

TEST(ToolAnalyse, FlagsBlacksForbiddenMovesUnderRenju) {
  // Black's move at ply 9 is forbidden exactly when the forbidden listing of
  // the position before it names the cell.
  const Moves game = {{7, 7}, {0, 0}, {8, 8}, {2, 0}, {7, 9}, {0, 4}, {8, 9}, {4, 0}, {9, 9}, {12, 12}};
  const std::string listing = toolOut({"forbidden", "--rule", "renju", "--moves", movesText(game, 8)});
  ASSERT_NE(listing.find("9,9 double-three"), std::string::npos) << listing;
  const nlohmann::json analysis =
      analyseJson({"--rule", "renju", "--moves", movesText(game, game.size()), "--nodes", "1000"});
  for (std::size_t i = 0; i < game.size(); ++i) {
    EXPECT_EQ(hasFlag(analysis["plies"][i], "forbidden"), i == 8) << "ply " << i + 1;
  }
  // The same moves under free-style have no fouls.
  const nlohmann::json free = analyseJson({"--moves", movesText(game, game.size()), "--nodes", "1000"});
  for (const auto& ply : free["plies"]) EXPECT_FALSE(hasFlag(ply, "forbidden"));
}

// Width and height of a PNG, from its header.
std::pair<int, int> pngSize(const std::string& png) {
  const auto word = [&](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return {0, 0};
  return {word(16), word(20)};
}

int countOf(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(ToolAnalyse, UnderCaroAFlankedFiveIsNoWinAndTheGameGoesOn) {
  // Black makes exactly five between White's 2,7 and 8,7 at ply 17, then five
  // on the open row 10 at ply 19. The file says Caro (RU[8]).
  const Moves game = {{3, 7},  {2, 7},   {4, 7},  {8, 7},   {5, 7},  {13, 0}, {6, 7}, {14, 2}, {3, 10}, {0, 14},
                      {4, 10}, {12, 14}, {5, 10}, {14, 14}, {6, 10}, {0, 0},  {7, 7}, {2, 10}, {7, 10}};
  std::string sgf = "(;FF[4]GM[4]SZ[15]RU[8]";
  for (std::size_t i = 0; i < game.size(); ++i) {
    sgf += std::string(i % 2 == 0 ? ";B[" : ";W[") + static_cast<char>('a' + game[i].first) +
           static_cast<char>('a' + game[i].second) + "]";
  }
  TempFiles files;
  const std::string path = files.write("caro.sgf", sgf + ")");
  const nlohmann::json caro = analyseJson({"--game", path, "--nodes", "300"});
  EXPECT_EQ(caro["rule"], "caro");
  ASSERT_EQ(caro["plies"].size(), game.size());
  for (std::size_t i = 0; i < game.size(); ++i) EXPECT_EQ(hasFlag(caro["plies"][i], "win"), i == 18) << "ply " << i + 1;
  // Under free-style the flanked five wins and ends the analysis.
  const nlohmann::json free = analyseJson({"--game", path, "--rule", "freestyle", "--nodes", "300"});
  ASSERT_EQ(free["plies"].size(), 17u);
  EXPECT_TRUE(hasFlag(free["plies"][16], "win"));
}

TEST(ToolAnalyse, SvgIsTitledAndMarksEachFlagKindOnBoardAndCurve) {
  const std::string renderer = QUENVIK_RSVG_CONVERT;
  if (renderer.empty()) GTEST_SKIP() << "rsvg-convert is not installed";
  TempFiles files;
  const std::string svgPath = files.write("game.svg", "");
  const std::string pngPath = files.write("game.png", "");
  // The flags game of the test above, kept as a file with players and a result.
  const std::string game = files.write(
      "flags.sgf",
      "(;FF[4]GM[4]SZ[15]RU[0]PB[Alice & Co]PW[Bob]RE[B+1];B[hd];W[aa];B[he];W[ao];B[hf];W[hc];B[hg];W[oa];B[mm];"
      "W[hh];B[bf];W[oo];B[cf];W[ka];B[df];W[ai];B[ef];W[oh];B[ff])");
  const ProcessResult analysis = runTool({"analyse", "--game", game, "--nodes", "3000", "--svg", svgPath});
  ASSERT_EQ(analysis.status, 0) << analysis.err;
  const std::string svg = readFile(svgPath);
  const int plies = countOf(analysis.out, "\n") - 1;
  EXPECT_EQ(countOf(svg, "class=\"grid\""), 2 * 15);
  EXPECT_EQ(countOf(svg, "class=\"stone\""), plies);
  // Each kind of flag: one mark on the board and one on the curve per ply
  // the table flags with it, and one entry in the legend.
  for (const std::string kind : {"win", "forbidden", "missed-win", "blunder"}) {
    const int flagged = countOf(analysis.out, " " + kind);
    EXPECT_EQ(countOf(svg, "class=\"flag flag-" + kind + "\""), flagged) << kind;
    EXPECT_EQ(countOf(svg, "class=\"flagged-ply flag-" + kind + "\""), flagged) << kind;
    EXPECT_EQ(countOf(svg, "class=\"legend-mark flag-" + kind + "\""), 1) << kind;
  }
  EXPECT_GE(countOf(analysis.out, " blunder"), 1);
  // The title: file and game, players (escaped), rule, the file's result.
  const std::string title = svg.substr(svg.find("class=\"title\""), 400);
  EXPECT_NE(title.find(game + ", game 1"), std::string::npos) << title;
  EXPECT_NE(title.find("Black Alice &amp; Co, White Bob; freestyle 15x15; result B+1 (Black's five at ply 19)"),
            std::string::npos)
      << title;
  // Ticks along the plies, more than the two ends.
  EXPECT_GT(countOf(svg, "class=\"ply-tick\""), 2);

  const ProcessResult render = runProcess(renderer, {svgPath, "-o", pngPath});
  ASSERT_EQ(render.status, 0) << render.err;
  std::smatch size;
  ASSERT_TRUE(std::regex_search(svg, size, std::regex(R"re(<svg[^>]* width="(\d+)" height="(\d+)")re")));
  const auto [width, height] = pngSize(readFile(pngPath));
  EXPECT_EQ(width, std::stoi(size[1]));
  EXPECT_EQ(height, std::stoi(size[2]));
  // The board is square and the chart beside it: wider than high.
  EXPECT_GT(width, height);
}

// The per-game documents of a many-game run, keyed by file and game.
std::map<std::pair<std::string, int>, nlohmann::json> documentsByGame(const std::string& lines) {
  std::map<std::pair<std::string, int>, nlohmann::json> documents;
  std::istringstream stream(lines);
  for (std::string line; std::getline(stream, line);) {
    nlohmann::json document = nlohmann::json::parse(line);
    documents[{document["file"], document["game"]}] = document;
  }
  return documents;
}

TEST(ToolAnalyse, ManyGamesInParallelGiveEachGamesOwnAnalysis) {
  // Two files: the match runner's four games and the .psq game.
  const std::vector<std::string> batch = {"analyse", "--json", "--nodes", "500", "--game", kSgf, kPsq};
  std::vector<std::string> parallel = batch;
  parallel.insert(parallel.end(), {"--jobs", "2"});
  const ProcessResult together = runTool(parallel);
  ASSERT_EQ(together.status, 0) << together.err;
  // One document per line and one progress line per game, in file order.
  EXPECT_EQ(countOf(together.out, "\n"), 5);
  EXPECT_EQ(countOf(together.err, "analysed game "), 5) << together.err;
  const auto documents = documentsByGame(together.out);
  ASSERT_EQ(documents.size(), 5u);
  EXPECT_EQ(together.out.find(kSgf), together.out.find("\"file\":") + 8);

  // Each game alone, as a single-game run analyses it: the same plies.
  for (int index = 1; index <= 4; ++index) {
    const nlohmann::json alone = analyseJson({"--game", kSgf, "--game-index", std::to_string(index), "--nodes", "500"});
    const nlohmann::json& inBatch = documents.at({kSgf, index});
    EXPECT_EQ(inBatch["plies"], alone["plies"]) << "game " << index;
    EXPECT_EQ(inBatch["black"], "quenvik-a");
    EXPECT_EQ(inBatch["rule"], alone["rule"]);
  }
  EXPECT_EQ(documents.at({kPsq, 1})["plies"], analyseJson({"--game", kPsq, "--nodes", "500"})["plies"]);
  // One at a time in one process prints the very same lines.
  EXPECT_EQ(toolOut(batch), together.out);
}

TEST(ToolAnalyse, CtrlCPrintsWhatIsDone) {
  // On a terminal the progress is a bar on standard error; Ctrl-C after the
  // second ply ends the run with the plies done so far.
  PtyProcess analyse(QUENVIK_TOOL_PATH, {"analyse", "--game", kSgf, "--game-index", "1", "--nodes", "20000"});
  ASSERT_NE(analyse.readUntil("ply 2/43"), "");
  analyse.type("\x03");
  const std::string rest = analyse.readToEnd();
  EXPECT_EQ(analyse.waitExit(), 130);
  EXPECT_NE(rest.find("ply  colour  played"), std::string::npos) << rest;
  const std::regex interrupted(R"(interrupted after (\d+) of 43 moves)");
  std::smatch done;
  ASSERT_TRUE(std::regex_search(rest, done, interrupted)) << rest;
  const int plies = std::stoi(done[1]);
  EXPECT_GE(plies, 2);
  EXPECT_LT(plies, 43);
  EXPECT_NE(rest.find("\n" + std::string(plies < 10 ? "  " : " ") + std::to_string(plies) + "  "), std::string::npos);
}

}  // namespace
}  // namespace quenvik::test
