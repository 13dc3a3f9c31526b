// The engine's one state object, the cell codes and the score scale.
//
// Everything the engine knows lives in `engine`, an object of static storage
// duration. Its tables start as zero bytes (the object sits in zero-filled
// storage; see EngineState.cpp) and its settings start at the values a
// manager expects before any INFO line.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Rule.h"

namespace quenvik {

// ---------------------------------------------------------------------------
// Grid, cell values and cell codes
// ---------------------------------------------------------------------------

constexpr int kGridWidth = 20;  // every grid is 20 wide, whatever the board size
constexpr int kMinBoardSize = 5;
constexpr int kMaxBoardSize = 20;
constexpr int kMaxRecordMoves = 400;       // 20 x 20
constexpr int kMaxBoardBlockStones = 400;  // every stone a 20 x 20 board holds

constexpr int32_t kBlack = 1;   // first player; has forbidden moves under Renju
constexpr int32_t kWhite = -1;  // second player
constexpr int32_t kEmpty = 0;
// A cell outside the board in line copies. Neither colour nor empty; its low
// two bits are the edge's code in a line key, as a stone's are its colour's.
constexpr int32_t kOffBoard = 2;

// CellIndex = x + 20*y: the game record and the move output.
constexpr int cellIndexOf(int x, int y) { return x + kGridWidth * y; }
constexpr int cellIndexX(int cellIndex) { return cellIndex % kGridWidth; }
constexpr int cellIndexY(int cellIndex) { return cellIndex / kGridWidth; }

// MoveNumber = b*N + a for engine board row a, column b: every search's move code.
constexpr int moveNumberOf(int a, int b, int n) { return b * n + a; }
constexpr int moveRow(int moveNumber, int n) { return moveNumber % n; }
constexpr int moveColumn(int moveNumber, int n) { return moveNumber / n; }

// Colour index of the per-colour tables: 0 Black, 1 White.
constexpr int colourIndex(int32_t colour) { return colour == kBlack ? 0 : 1; }

// ---------------------------------------------------------------------------
// Score scale
// ---------------------------------------------------------------------------

constexpr int kWinScore = 20000;      // root window bound; win before any move searched
constexpr int kDecidedScore = 15000;  // at or beyond it (either sign) the game is decided
constexpr int kNoCandidateScore = -20001;
constexpr double kEvalDecided = 15000.0;

struct SearchResult {
  int16_t score;
  int16_t move;  // MoveNumber, -1 for none
};

// ---------------------------------------------------------------------------
// Directions and line views
// ---------------------------------------------------------------------------

// 0 along a row, 1 along a column, 2 the diagonal (a+b constant),
// 3 the anti-diagonal (a-b constant).
constexpr int kDirections = 4;

// A padded line: two markers, the N cells of one line, two markers.
// The cell at line position q is element q + 2.
constexpr int kPaddedLineLength = 24;

constexpr int kLineViewsSize = 2360;
constexpr int kRowsBase = 0;
constexpr int kColumnsBase = 400;
constexpr int kDiagonalsBase = 800;
constexpr int kAntiDiagonalsBase = 1580;

// The board as four groups of contiguous 20-slot lines.
struct LineViews {
  int32_t slots[kLineViewsSize];
};

// ---------------------------------------------------------------------------
// Line patterns
// ---------------------------------------------------------------------------

enum PatternClass : int32_t {
  Dead = 0,
  OneClosed = 1,
  OneOpen = 2,
  TwoClosed = 3,
  TwoOpenA = 4,
  TwoOpenB = 5,
  TwoOpenC = 6,
  ThreeClosed = 7,
  ThreeOpenSingle = 8,
  ThreeOpenDouble = 9,
  Four = 10,
  FourOpen = 11,
  Five = 12,
  Overline = 13,
};

// A pattern code is class << 16 | count.
constexpr int32_t patternCode(int32_t patternClass, int32_t count) { return (patternClass << 16) | count; }
constexpr int32_t patternClassOf(int32_t code) { return (code >> 16) & 0xF; }
constexpr int32_t patternCountOf(int32_t code) { return code & 0xF; }

constexpr int kMaxRank = 91;

// The pattern state of every cell, kept up to date with the board.
struct PatternState {
  int32_t cellStateMap[kGridWidth][kGridWidth];  // board at the last update
  int32_t patternCodes[2][kGridWidth][kGridWidth][kDirections];
  int32_t cellRank[2][kGridWidth][kGridWidth];   // 1..91, 0 = forbidden to Black
  int32_t cellLevel[2][kGridWidth][kGridWidth];  // 6 five, 5 straight four, 4 four, 3 open three
};
static_assert(sizeof(PatternState) == 20800);

// One cell's entries as they were before an update rewrote them: the search
// takes its updates back with these instead of copying the whole state.
struct PatternUndoEntry {
  int32_t cell;  // a * kGridWidth + b
  int32_t stateMap;
  int32_t codes[2][kDirections];
  int32_t rank[2];
  int32_t level[2];
};

constexpr int kMaxSearchPlies = 100;  // plies 0..99 of the principal search

// ---------------------------------------------------------------------------
// Position hash table
// ---------------------------------------------------------------------------

enum BoundKind : uint8_t { EmptySlot = 0, Exact = 1, UpperBound = 2, LowerBound = 3 };

struct TableEntry {
  uint64_t key;
  int16_t score;
  uint8_t bound;
  uint8_t depth;
  uint16_t priority;
  int16_t move;
};
static_assert(sizeof(TableEntry) == 16);

struct alignas(32) TableBucket {
  TableEntry slot[2];
};
static_assert(sizeof(TableBucket) == 32);

constexpr std::size_t kTableBuckets = std::size_t{1} << 23;  // the largest table; memory caps may use fewer
constexpr uint64_t kTableIndexMask = kTableBuckets - 1;
constexpr std::size_t kMinTableBuckets = std::size_t{1} << 12;
constexpr std::size_t kTableBytes = kTableBuckets * sizeof(TableBucket);
static_assert(kTableBytes == 268435456);

// Buckets a game may fill before clearing the whole table costs less than
// zeroing them one by one.
constexpr std::size_t kTableLogCapacity = std::size_t{1} << 19;

// The packed table stands in for the big one while its pages are not in
// memory yet: 8 MiB of buckets, filled in order, found through an index at
// most half full.
constexpr std::size_t kPackedBuckets = std::size_t{1} << 18;
constexpr std::size_t kPackedIndexSlots = kPackedBuckets * 2;

// ---------------------------------------------------------------------------
// Root events: what the principal search reports of its root moves while it
// runs (a GUI draws them live).
// ---------------------------------------------------------------------------

enum RootEventKind : int { RootMoveStarted = 0, RootMoveDone = 1, RootMoveBest = 2, RootMoveLoses = 3 };

// Called on the searching thread with the move's MoveNumber.
using RootEventHook = void (*)(void* context, RootEventKind kind, int move);

// ---------------------------------------------------------------------------
// Threat search store
// ---------------------------------------------------------------------------

// Canonical keys of threat lines hash as h = 5h + u over the units, times the
// number of units, so transposed orders meet in one bucket.
struct ThreatKeyHash {
  std::size_t operator()(const std::u16string& key) const noexcept {
    uint32_t h = 0;
    for (char16_t unit : key) h = 5u * h + static_cast<uint16_t>(unit);
    return static_cast<std::size_t>(static_cast<uint64_t>(key.size()) * static_cast<uint64_t>(h));
  }
};
using ThreatStore = std::unordered_map<std::u16string, uint32_t, ThreatKeyHash>;

// ---------------------------------------------------------------------------
// Settings and their start values
// ---------------------------------------------------------------------------

constexpr int32_t kStartTimeLeft = 30000000;
constexpr int32_t kStartTurnTimeout = 30000000;
constexpr int32_t kStartFullBoard = 1;
constexpr int32_t kStartThreatSearchOn = 1;

// ---------------------------------------------------------------------------
// Search parameters a root search starts from
// ---------------------------------------------------------------------------

constexpr int32_t kRootWidth = 60;  // most moves a node searches; also the reduction's reference width
constexpr int32_t kWidthNumerator = 1;
constexpr int32_t kWidthDenominator = 1;
constexpr int32_t kMaxIterationIndex = 24;  // the last deepening iteration searches depth 25

// ---------------------------------------------------------------------------
// The state object, grouped by role. Each group has one reset below that the
// engine, the tool, the tests and the fuzzers all call.
// ---------------------------------------------------------------------------

// Settings. Written by the protocol loop while idle, read by the think and
// timer threads: atomics so every thread sees the current value.
struct Settings {
  std::atomic<int32_t> timeLeft;
  std::atomic<int32_t> turnTimeout;
  std::atomic<int32_t> fullBoard;
  std::atomic<int32_t> threatSearchOn;
  std::atomic<int32_t> nodeLimit;
  std::atomic<Rule> rule;            // read through gameRule(), exactFive(), renju()
  std::atomic<int32_t> depthLimit;   // max_depth: deepest iteration, 0 none
  std::atomic<int32_t> showDetail;   // show_detail: root events and analysis blocks
  std::atomic<int32_t> hashSizeKiB;  // hash_size: table cap in KiB, 0 none
  std::atomic<int32_t> memoryCap;    // max_memory: process cap in bytes, 0 none
  // Front end only: INFO rule 2 reads as Renju once YXSHOWINFO announced a
  // GUI that numbers its rules that way.
  int32_t ruleTwoIsRenju;
  // Set by the front end before a decision starts: how many best root moves
  // it reports (YXNBEST); 0 or 1 is an ordinary decision.
  int32_t analysisLines;
  // Set by the front end before a decision starts: the decision answers a
  // SWAP2BOARD block, whose stones the record holds, instead of moving.
  int32_t swap2Request;
  // Set by the front end before a decision starts: the decision also reports
  // which moves stop the opponent's forced win (YXSEARCHDEFEND).
  int32_t defendSearch;
  // Set by the front end before a decision starts: the decision answers the
  // board GUI's balance command, placing this many stones (1 or 2; 0 none)
  // after which the score for the side to move lies nearest balanceTarget.
  int32_t balanceStones;
  int32_t balanceTarget;
};

// Game record, in protocol cell codes.
struct RecordState {
  int32_t recordMoves[kMaxRecordMoves];
  int32_t recordCount;
  int32_t gameSize;  // 0 before the first game
};

// Stop protocol and timing.
struct ThinkControl {
  std::mutex stateLock;
  std::atomic<int32_t> thinking;
  std::atomic<int32_t> stopFlag;  // 0 run, 1 stop asked, 2 timer thread ended
  std::atomic<int32_t> softStop;
  std::atomic<int32_t> timeBudget;
  // A decision made of several searches (Swap2) gives each this share of the
  // time budget; 1 otherwise.
  std::atomic<int32_t> budgetShare;
  std::atomic<int64_t> startTime;
  std::atomic<uint8_t> searchAborted;
  // A YXSTOP that came before the decision reset its stop word: the reset
  // keeps it, so an early stop is never lost.
  std::atomic<int32_t> stopRequested;
  // Think threads that have not yet finished printing their move; the front
  // end waits for it to reach zero before it exits at end of input.
  std::atomic<int32_t> activeThinkThreads;
};

// The position the searches work on.
struct PositionState {
  // Game keys and the key of the engine board.
  uint64_t stoneKeys[2][kMaxRecordMoves + 1];
  uint64_t positionKey;

  // Engine board: row a, column b; only the top-left N x N square is in use.
  int32_t board[kGridWidth][kGridWidth];
  int32_t boardSize;
  int32_t stoneCount;
  int32_t boardOriginX;  // protocol cell of engine board row 0, column 0
  int32_t boardOriginY;

  // Pattern state of every empty cell (cellStateMap is its board snapshot).
  PatternState patterns;
  std::vector<PatternUndoEntry> patternUndoLog;  // every update's overwritten cells, newest last
  std::vector<int32_t> forbiddenCheckList;       // a + 20*b, Renju only
  std::vector<int32_t> previousForbiddenCheckList;
};

// Root decision and principal search.
struct SearchState {
  int32_t rootCandidates[kGridWidth][kGridWidth];
  int32_t rootCandidateCount;
  int16_t bestScore;
  int16_t bestMove;
  int32_t nodeCount;
  int64_t searchStartTime;
  int32_t maxDepth;
  int32_t referenceWidth;
  int32_t widthNumerator;
  int32_t widthDenominator;
  int32_t iterationIndex;
  int32_t selDepth;
  int32_t nodeLimitHit;
  // The root answered without a search (one kept cell, or none): the
  // deepening has nothing more to learn.
  int32_t rootAnsweredAtOnce;
  int32_t plyIndex;
  // Root moves the running search leaves out (N-best: the better ones
  // already reported); rootExcludedCount 0 means none.
  int32_t rootExcluded[kGridWidth][kGridWidth];
  int32_t rootExcludedCount;
  RootEventHook rootEventHook;  // nullptr: no root events
  void* rootEventContext;

  // Position hash table: up to 2^23 buckets of two entries; a bucket's index
  // is key & tableIndexMask. Kept across the decisions of a game; only a new
  // game (or a new size) clears it.
  TableBucket positionTable[kTableBuckets];
  uint64_t tableIndexMask;
  // Buckets written since the last clear, in order of their first write; a
  // count past the capacity means too many to list. A new game only asks for
  // the clear: the warmer or the next use of the table does it, so START
  // stays instant.
  uint32_t tableLog[kTableLogCapacity];
  uint32_t tableLogCount;
  uint8_t tableReady;              // 0: a clear is still to do
  std::size_t tableClearProgress;  // how far the clear still to do has got
  // Buckets [0, n) are known to be in memory.
  std::size_t tableResidentBuckets;
  uint8_t tableAdvised;  // the page-size advice for the table is given

  // Packed table (AI/PositionTable.cpp): a game's buckets while the big
  // table is not in memory yet. Slots are handed out in order; the index,
  // open-addressed, maps a big-table bucket to its slot.
  TableBucket packedBuckets[kPackedBuckets];
  uint64_t packedIndex[kPackedIndexSlots];  // (bucket index + 1) << 32 | slot; 0 free; a prefix in use
  uint32_t packedOrigins[kPackedBuckets];   // each slot's big-table bucket
  uint32_t packedCount;                     // slots handed out (their index words are set)
  int32_t packedIndexLog2;                  // the index words in use: 2^this
  uint32_t packedMoved;                     // slots already moved into the big table
  uint8_t packedInUse;                      // this game keeps its buckets there first
  uint8_t packedFull;                       // ... and new ones went to the big table since it filled up

  // The table warmer's hand-over with decisions and the front end.
  std::atomic<uint32_t> tableClearRequests;  // new games asked for while the warmer runs
  uint32_t tableClearsApplied;
  std::atomic<int32_t> tableClaimed;       // a decision owns the table
  std::atomic<int32_t> tableWarmerBusy;    // the warmer is in a step
  std::atomic<int32_t> tableWarmerSignal;  // changes whenever the warmer may have work
  std::atomic<int32_t> tableWarmerQuit;
};

// Threat-space search.
struct ThreatSearchState {
  LineViews threatBoard;
  std::u16string threatLine;
  ThreatStore threatStore;
  uint8_t threatComplete;
};

struct EngineState : Settings, RecordState, ThinkControl, PositionState, SearchState, ThreatSearchState {
  EngineState();  // sets the settings' start values; every table stays zero
};

extern EngineState engine;

// The start state of each group.
void resetSettings();      // the values a manager expects before any INFO line
void resetRecord();        // no game: empty record, no board size
void resetThinkControl();  // idle, no stop asked (live think threads are still counted)
void resetPosition();      // empty engine board of size 0, zero keys and pattern state
void resetSearch();        // counters cleared, no root candidate, the root's width parameters
void resetThreatSearch();  // empty threat board, line and store
void resetEngine();        // every group above; the position table is cleared by a new game

// Whether a five of this colour must be exactly five long (six or more in a
// row then is no five): under exact five for both colours, under Renju for
// Black.
constexpr bool exactFiveFor(Rule rule, int32_t colour) { return exactFive(rule) || (renju(rule) && colour == kBlack); }

// The game's rule and what it answers, read where a test depends on it.
inline Rule gameRule() { return engine.rule.load(std::memory_order_relaxed); }
inline bool exactFive() { return exactFive(gameRule()); }
inline bool renju() { return renju(gameRule()); }
inline bool caro() { return caro(gameRule()); }
inline bool exactFiveFor(int32_t colour) { return exactFiveFor(gameRule(), colour); }

// Side to move on the engine board: +1 when the stone count is even.
inline int32_t sideToMove() { return (engine.stoneCount % 2 == 0) ? kBlack : kWhite; }

// ---------------------------------------------------------------------------
// Pseudo-random generator: a 15-bit linear congruential generator whose
// 32-bit state belongs to the calling thread.
// ---------------------------------------------------------------------------

constexpr uint32_t kMainThreadSeed = 1232356;
constexpr uint32_t kThinkThreadSeed = 1;

void seedRandom(uint32_t state);
int drawRandom();  // 0..32767

// The generator step itself, for callers that keep their own state.
constexpr uint32_t nextRandomState(uint32_t state) { return state * 214013u + 2531011u; }
constexpr int randomValueOf(uint32_t state) { return static_cast<int>((state >> 16) & 32767u); }

// ---------------------------------------------------------------------------
// Clock: monotonic milliseconds since the process started.
// ---------------------------------------------------------------------------

int64_t clockMs();

}  // namespace quenvik
