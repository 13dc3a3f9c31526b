// Argument parsing shared by the analysis tool's subcommands.
#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quenvik::tool {

// A refused argument; main prints its message on one line of standard error
// and exits with status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Position {
  int size = 15;
  std::string rule = "freestyle";          // freestyle, exact or renju
  std::vector<std::pair<int, int>> moves;  // protocol x, y in playing order
};

struct ToolArgs {
  Position position;
  std::map<std::string, std::string> options;  // the subcommand's own options, without "--"
};

// Parses --size, --rule and --moves plus the given extra options (each takes
// one value). Throws UsageError on anything it cannot accept.
ToolArgs parseToolArgs(const std::vector<std::string>& args, const std::set<std::string>& extraOptions);

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
