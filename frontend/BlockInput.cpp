#include "frontend/BlockInput.h"

#include <string>

#include "frontend/CommandParse.h"
#include "frontend/LineInput.h"

namespace quenvik {

namespace {

bool isDoneLine(const std::string& line) { return !line.empty() && (line[0] == 'D' || line[0] == 'd'); }

}  // namespace

BlockRead readStoneBlock(std::FILE* input, int boardSize, StoneLineReader readStone, StoneBlock& block) {
  bool taken[kGridWidth * kGridWidth] = {};
  std::string line;
  for (;;) {
    const LineStatus status = readProtocolLine(input, line, kMaxBlockLine);
    if (status == LineStatus::End) return BlockRead::InputEnded;
    if (status == LineStatus::TooLong) {
      block.failed = true;
      continue;
    }
    if (isDoneLine(line)) return BlockRead::Done;
    if (isBlankLine(line)) continue;
    int32_t x = 0, y = 0;
    bool own = false;
    const bool onBoard = readStone(line, x, y, own) && x >= 0 && x < boardSize && y >= 0 && y < boardSize;
    if (!onBoard || taken[cellIndexOf(x, y)] || block.count == kMaxBoardBlockStones) {
      block.failed = true;
      continue;
    }
    taken[cellIndexOf(x, y)] = true;
    block.stones[block.count++] = {cellIndexOf(x, y), own};
  }
}

}  // namespace quenvik
