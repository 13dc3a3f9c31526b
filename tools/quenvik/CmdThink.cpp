// quenvik think / quenvik bench: the whole decision, as the engine makes it.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "core/EngineState.h"
#include "tools/quenvik/Commands.h"
#include "tools/quenvik/Decide.h"
#include "tools/quenvik/ToolArgs.h"

namespace quenvik::tool {

namespace {

constexpr int32_t kBenchDefaultNodes = 200000;

struct BenchPosition {
  const char* name;
  int size;
  const char* rule;
  const char* moves;
};

// Openings, middle games and endgames under every rule, on 15 and 20.
constexpr BenchPosition kBenchPositions[] = {
    {"free-opening-15", 15, "freestyle", "7,7 8,8"},
    {"free-middle-15", 15, "freestyle", "7,7 8,7 8,8 6,6 9,9 10,10 6,8 7,8 9,6"},
    {"free-blocked-15", 15, "freestyle", "7,7 6,7 8,7 6,8 9,7 10,7 11,7 6,9"},
    {"free-threat-15", 15, "freestyle", "7,7 6,6 3,3 7,6 3,5 8,6 12,3 9,6"},
    {"exact-opening-15", 15, "exact", "7,7 7,8 8,8"},
    {"exact-middle-15", 15, "exact", "7,7 8,8 6,8 8,6 8,7 6,7 9,9 5,5 7,9 7,10"},
    {"renju-opening-15", 15, "renju", "7,7 7,8 8,8 6,6"},
    {"renju-middle-15", 15, "renju", "7,7 8,7 7,8 8,8 6,9 5,10 9,7 6,6 8,9 9,10 7,9"},
    {"renju-endgame-15", 15, "renju", "7,7 8,8 7,8 9,9 7,9 6,6"},
    {"free-opening-20", 20, "freestyle", "10,10 11,11 9,11"},
    {"exact-middle-20", 20, "exact", "10,10 9,9 11,9 10,9 9,10 11,11 12,8 8,10 10,8"},
    {"free-crowded-20", 20, "freestyle",
     "10,10 10,11 11,10 9,10 11,11 9,9 12,12 13,13 11,12 11,13 12,11 13,10 10,12 9,13 12,10 12,9 "
     "9,12 8,13 13,11 14,11"},
};

// FNV-1a over the moves the bench printed, so a changed move shows in the
// signature even when the node count happens to stay the same.
uint32_t hashMoves(const std::string& moves) {
  uint32_t hash = 2166136261u;
  for (const char c : moves) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

int commandThink(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"nodes", "time", "nbest"});
  DecisionLimits limits;
  if (parsed.options.count("nodes")) limits.nodes = parseIntOption("nodes", parsed.options.at("nodes"));
  if (parsed.options.count("time")) limits.turnTimeMs = parseIntOption("time", parsed.options.at("time"));
  if (parsed.options.count("nbest")) {
    limits.nbest = parseIntOption("nbest", parsed.options.at("nbest"));
    if (limits.nbest < 1 || limits.nbest > kMaxRecordMoves)
      throw UsageError("--nbest must be 1 to 400, got " + parsed.options.at("nbest"));
  }
  decideOn(parsed.position, limits, DecisionLines::Print);
  return 0;
}

int commandBench(const Args& args) {
  const ToolArgs parsed = parseToolArgs(args, {"nodes"}, {}, PositionUse::None);
  DecisionLimits limits;
  limits.nodes = kBenchDefaultNodes;
  // The search's own speed: the table is in memory and cleared before each
  // position, as a running engine has it when a move request comes.
  limits.readyTable = true;
  if (parsed.options.count("nodes")) limits.nodes = parseIntOption("nodes", parsed.options.at("nodes"));

  int64_t totalNodes = 0;
  int64_t totalMs = 0;
  std::string moves;
  for (const BenchPosition& position : kBenchPositions) {
    std::vector<std::string> positionArgs = {
        "--size", std::to_string(position.size), "--rule", position.rule, "--moves", position.moves};
    const DecisionResult result = decideOn(parseToolArgs(positionArgs, {}).position, limits, DecisionLines::Discard);
    totalNodes += result.nodes;
    totalMs += result.elapsedMs;
    moves += (result.hasMove ? std::to_string(result.x) + "," + std::to_string(result.y) : std::string("none")) + ";";
    if (result.hasMove) {
      std::printf("%-18s move %d,%d nodes %d time %" PRId64 " ms\n", position.name, result.x, result.y, result.nodes,
                  result.elapsedMs);
    } else {
      std::printf("%-18s move none nodes %d time %" PRId64 " ms\n", position.name, result.nodes, result.elapsedMs);
    }
  }
  const int64_t nps = totalMs > 0 ? totalNodes * 1000 / totalMs : 0;
  std::printf("bench: %" PRId64 " nodes %" PRId64 " ms %" PRId64 " nodes/s\n", totalNodes, totalMs, nps);
  std::printf("signature: %" PRId64 "-%08x\n", totalNodes, hashMoves(moves));
  return 0;
}

}  // namespace quenvik::tool
