// Argument parsing shared by the analysis tool's subcommands.
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/Rule.h"

namespace quenvik::tool {

// A refused argument; main prints its message on one line of standard error
// and exits with status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Position {
  int size = 15;
  Rule rule = Rule::Freestyle;
  std::vector<std::pair<int, int>> moves;  // protocol x, y in playing order
};

// --help: main prints the text on standard output and exits with status 0.
struct HelpRequested : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Where a game came from, for titles and progress lines: a file and the
// game's number in it, with what the file says about the game. file is empty
// for a position given on the command line.
struct GameSource {
  std::string file;
  int index = 1;  // from 1
  std::string black;
  std::string white;
  std::string result;  // the file's own (SGF RE)
};

struct SourcedGame {
  Position position;
  GameSource source;
};

// What a subcommand does with the position options: one position (every
// subcommand but bench), none (bench decides fixed positions), or, for
// analyse, every game of several files or of a file of many.
enum class PositionUse { One, None, Many };

struct ToolArgs {
  Position position;
  GameSource source;
  // PositionUse::Many: every game, in file order, when --game names several
  // files or a file of many games without --game-index; empty otherwise.
  std::vector<SourcedGame> games;
  std::map<std::string, std::string> options;  // the subcommand's own options, without "--"
  std::set<std::string> flags;                 // the subcommand's own flags that were given
};

// Parses the position (--size, --rule and one of --moves, --pos or --game
// with --game-index and --ply) plus the given extra options (each takes one
// value) and flags (none). Throws UsageError on anything it cannot accept,
// HelpRequested for --help.
ToolArgs parseToolArgs(const std::vector<std::string>& args, const std::set<std::string>& extraOptions,
                       const std::set<std::string>& extraFlags = {}, PositionUse use = PositionUse::One);

// The subcommand whose arguments parseToolArgs reads next, for --help.
void setHelpTopic(const std::string& subcommand, const std::string& description);

// "x,y" in protocol coordinates; throws UsageError when unreadable.
std::pair<int, int> parseCell(const std::string& text);

// A whole decimal int32; throws UsageError naming the option otherwise.
int parseIntOption(const std::string& name, const std::string& text);

// Sets up the engine as the protocol would for this position: the start
// settings, a new game of this size and rule, the record, the whole board as the searched square,
// the engine board and its pattern state. Throws UsageError for a move off
// the board or on an occupied cell.
void setUpPosition(const Position& position);

// Parses `size` and `moves` and, for the given size, checks the cell is on
// the board and empty.
std::pair<int, int> requireEmptyCell(const Position& position, const std::string& text);

}  // namespace quenvik::tool
