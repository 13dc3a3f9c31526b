// The analysis of a whole game: per ply, the move played, the engine's
// choice, the evaluations before and after the move and the flags.
#pragma once

#include <string>
#include <vector>

#include "tools/quenvik/Records.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

// A drop of the mover's evaluation by at least this much is a blunder.
constexpr int kBlunderDrop = 400;

struct PlyReport {
  int ply = 0;  // from 1
  bool black = true;
  Move played;
  bool engineHasMove = false;
  Move engineMove;
  int before = 0;  // the mover's evaluation before the move
  int after = 0;   // and after it, both from the mover's view
  std::vector<std::string> flags;
};

struct Analysis {
  Position game;  // every move of the game as read
  GameSource source;
  std::vector<PlyReport> plies;
  bool complete = false;  // false when interrupted
};

// The final position with every analysed move, and beside it the evaluation
// curve over the game, as one SVG document under a title naming the game.
std::string analysisSvg(const Analysis& analysis);

// The flag kinds, in the order a ply lists them.
constexpr const char* kFlagKinds[] = {"win", "forbidden", "missed-win", "blunder"};

// How the game ended, as far as the analysis saw it: "Black's five at ply
// 43", "a full board, drawn", "no five in 60 moves", or where it stopped.
std::string outcomeText(const Analysis& analysis);

}  // namespace quenvik::tool
