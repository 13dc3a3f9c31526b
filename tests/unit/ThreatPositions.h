// Hand-made positions for the threat search: forced wins by fours of lengths
// 1 to 5 under the three rule sets, and positions without such a win.
//
// Cells are protocol "x,y", which is engine row x, column y. Black moves
// first, so the side to move is Black when both colours have as many stones,
// White when Black has one more. Stones far in the corners only balance the
// counts. "Iteration" is the deepening iteration that ends the own-side
// search (request 8): a win made of k forced exchanges that ends in a straight
// four is found in iteration k + 1, one that ends in a double four in k + 2,
// one whose k-th forced block is forbidden to Black in iteration k.
//
// The line, where given, lists the attacker's moves and the defender's forced
// blocks alternately; the tests replay it with an independent five counter.
// An empty line means the attacker already has a four on the board.
#pragma once

namespace quenvik::test {

struct ThreatPosition {
  const char* name;
  int size;
  const char* rule;
  const char* black;
  const char* white;
  const char* line;  // nullptr when there is no win
  int iteration;
  const char* toMove;  // the two lines `quenvik vcf` prints
  const char* other;
};

// The ladder used below on a 20 x 20 board. Each attacker move makes a four
// whose one completion point is the block, and stands on the next line:
//   2,4  row 2 (2,5 2,6 2,7 blocked by 2,8)          -> block 2,3
//   6,4  column 4 (2,4 3,4 _ 5,4 6,4, 1,4 blocked)   -> block 4,4
//   6,8  row 6 (6,4 6,5 6,6 _ 6,8, 6,3 blocked)      -> block 6,7
//   10,8 column 8 (6,8 7,8 8,8 _ 10,8, 5,8 blocked)  -> block 9,8
//   10,5 row 10 (10,5 10,6 10,7 10,8, both ends open): a straight four.
// Shorter ladders start further down with the earlier attacker stones on the
// board.

inline constexpr ThreatPosition kThreatWins[] = {
    // Length 1: Black's four 7,3..7,6 is blocked at 7,2; 7,7 completes it.
    {"FreeFourOnBoard", 15, "freestyle", "7,3 7,4 7,5 7,6", "0,0 0,14 7,2 14,0", "", 1, "to-move: win 7,7",
     "other: none (proven)"},
    // Length 1: the open three 7,5 7,6 7,7 becomes a straight four at 7,4
    // (first in scan order; 7,8 would do as well).
    {"FreeStraightFour", 15, "freestyle", "7,5 7,6 7,7", "0,0 0,14 14,0", "7,4", 1, "to-move: win 7,4",
     "other: none (proven)"},
    // Length 2: 7,6 makes two fours (row 7 blocked at 7,2, column 6 blocked at
    // 11,6); White blocks 7,7, Black completes at 6,6.
    {"FreeDoubleFour", 15, "freestyle", "7,3 7,4 7,5 8,6 9,6 10,6", "0,0 0,14 7,2 11,6 14,0 14,14", "7,6", 2,
     "to-move: win 7,6", "other: none (proven)"},
    // Length 3: the last three steps of the ladder: 6,8 (6,7) 10,8 (9,8) 10,5.
    {"FreeLadderThree", 20, "freestyle", "6,4 6,5 6,6 7,8 8,8 10,6 10,7", "5,8 6,3 0,0 0,12 0,19 19,0 19,19",
     "6,8 6,7 10,8 9,8 10,5", 3, "to-move: win 6,8", "other: none (proven)"},
    // Length 4: 6,4 (4,4) 6,8 (6,7) 10,8 (9,8) 10,5.
    {"FreeLadderFour", 20, "freestyle", "2,4 3,4 5,4 6,5 6,6 7,8 8,8 10,6 10,7",
     "1,4 5,8 6,3 0,0 0,12 0,19 19,0 19,12 19,19", "6,4 4,4 6,8 6,7 10,8 9,8 10,5", 4, "to-move: win 6,4",
     "other: none (proven)"},
    // Length 5: the whole ladder, 2,4 (2,3) 6,4 (4,4) 6,8 (6,7) 10,8 (9,8) 10,5.
    {"FreeLadderFive", 20, "freestyle", "2,5 2,6 2,7 3,4 5,4 6,5 6,6 7,8 8,8 10,6 10,7",
     "1,4 2,8 5,8 6,3 0,0 0,12 0,19 14,0 19,0 19,12 19,19", "2,4 2,3 6,4 4,4 6,8 6,7 10,8 9,8 10,5", 5,
     "to-move: win 2,4", "other: none (proven)"},
    // Length 1: White's four 1,7..4,7 (0,7 is Black) forces Black to 5,7,
    // which turns Black's open three on row 5 into a straight four. White,
    // moving first, would complete its own four there.
    {"FreeBlockMakesStraightFour", 15, "freestyle", "0,7 5,4 5,5 5,6", "1,7 2,7 3,7 4,7", "5,7", 1, "to-move: win 5,7",
     "other: win 5,7"},
    // Length 2: the forced block 5,7 makes a four on row 5 (5,3 is White),
    // White blocks 5,8, and 4,6 makes a straight four on the diagonal
    // 4,6 5,7 6,8 7,9.
    {"FreeBlockMakesFour", 15, "freestyle", "0,7 5,4 5,5 5,6 6,8 7,9", "0,0 1,7 2,7 3,7 4,7 5,3", "5,7 5,8 4,6", 2,
     "to-move: win 5,7", "other: win 5,7"},
    // Length 1: 7,3..7,6 with 7,2 and 7,7 empty and Black on 7,8. Both ends
    // complete a five here (six counts), and the far end is reported.
    {"FreeFourOpenBothEnds", 15, "freestyle", "7,3 7,4 7,5 7,6 7,8", "0,0 0,7 0,14 14,0 14,14", "", 1,
     "to-move: win 7,7", "other: none (proven)"},
    // The same under exact five: 7,7 would make six, so 7,2 is the only point.
    {"ExactFourOneEnd", 15, "exact", "7,3 7,4 7,5 7,6 7,8", "0,0 0,7 0,14 14,0 14,14", "", 1, "to-move: win 7,2",
     "other: none (proven)"},
    // Length 2: 10,8 makes a four on column 8 and an open three on row 10;
    // White blocks 9,8, and 10,5 is a straight four.
    {"ExactFourThree", 20, "exact", "6,8 7,8 8,8 10,6 10,7", "5,8 0,0 0,19 19,0 19,19", "10,8 9,8 10,5", 2,
     "to-move: win 10,8", "other: none (proven)"},
    // Length 3: as FreeLadderThree, under exact five.
    {"ExactLadderThree", 20, "exact", "6,4 6,5 6,6 7,8 8,8 10,6 10,7", "5,8 6,3 0,0 0,12 0,19 19,0 19,19",
     "6,8 6,7 10,8 9,8 10,5", 3, "to-move: win 6,8", "other: none (proven)"},
    // Length 4: as FreeLadderFour, under exact five.
    {"ExactLadderFour", 20, "exact", "2,4 3,4 5,4 6,5 6,6 7,8 8,8 10,6 10,7",
     "1,4 5,8 6,3 0,0 0,12 0,19 19,0 19,12 19,19", "6,4 4,4 6,8 6,7 10,8 9,8 10,5", 4, "to-move: win 6,4",
     "other: none (proven)"},
    // Length 5: as FreeLadderFive, under exact five.
    {"ExactLadderFive", 20, "exact", "2,5 2,6 2,7 3,4 5,4 6,5 6,6 7,8 8,8 10,6 10,7",
     "1,4 2,8 5,8 6,3 0,0 0,12 0,19 14,0 19,0 19,12 19,19", "2,4 2,3 6,4 4,4 6,8 6,7 10,8 9,8 10,5", 5,
     "to-move: win 2,4", "other: none (proven)"},
    // Length 1: the three 7,5 7,6 7,7 with a Black stone on 7,2. Under exact
    // five 7,4 is no straight four (filling 7,3 would make six); 7,8 is.
    {"ExactStraightFourAwayFromOwnStone", 15, "exact", "7,2 7,5 7,6 7,7", "0,0 0,14 14,0 14,14", "7,8", 1,
     "to-move: win 7,8", "other: none (proven)"},
    // The same in free-style: 7,4 is a straight four and comes first.
    {"FreeStraightFourNextToOwnStone", 15, "freestyle", "7,2 7,5 7,6 7,7", "0,0 0,14 14,0 14,14", "7,4", 1,
     "to-move: win 7,4", "other: none (proven)"},
    // Length 1: 7,2 7,3 7,4 _ 7,6 7,7 between White stones: six counts in
    // free-style, so 7,5 completes.
    {"FreeSixCompletes", 15, "freestyle", "7,2 7,3 7,4 7,6 7,7", "0,0 0,14 7,1 7,8 14,0", "", 1, "to-move: win 7,5",
     "other: none (proven)"},
    // Length 1: 7,1 _ _ 7,4 7,5 7,6 _ _ 7,9; in free-style 7,3 is a straight
    // four (7,2 and 7,7 both complete).
    {"FreeStraightFourBetweenOwnStones", 15, "freestyle", "7,1 7,4 7,5 7,6 7,9", "0,0 0,7 0,14 14,0 14,14", "7,3", 1,
     "to-move: win 7,3", "other: none (proven)"},
    // Renju, length 1: White 7,5 makes a four on column 5 (8,5 Black) whose
    // only point is 3,5 (2,5 Black); Black blocking there makes six on row 3,
    // an overline, so the block is forbidden.
    {"RenjuOverlineBlock", 15, "renju", "2,5 3,3 3,4 3,6 3,7 3,8 8,5", "0,0 0,14 4,5 5,5 6,5 14,0", "7,5 3,5", 1,
     "to-move: win 7,5", "other: none (proven)"},
    // Renju, length 1: Black's straight four must be exact at both ends, as in
    // ExactStraightFourAwayFromOwnStone.
    {"RenjuBlackStraightFour", 15, "renju", "7,2 7,5 7,6 7,7", "0,0 0,14 14,0 14,14", "7,8", 1, "to-move: win 7,8",
     "other: none (proven)"},
    // Renju, length 1: White has no such restriction: 7,4 as in free-style.
    {"RenjuWhiteStraightFour", 15, "renju", "0,0 0,7 0,14 14,0 14,14", "7,2 7,5 7,6 7,7", "7,4", 1, "to-move: win 7,4",
     "other: none (proven)"},
    // Renju, length 2: White 4,5 makes a four on row 4 (4,9 Black), Black
    // blocks 4,4; White 7,5 makes a four on column 5 whose point 3,5 is an
    // overline for Black.
    {"RenjuSecondBlockForbidden", 15, "renju", "2,5 3,3 3,4 3,6 3,7 3,8 4,9 8,5", "0,0 0,14 4,6 4,7 4,8 5,5 6,5",
     "4,5 4,4 7,5 3,5", 2, "to-move: win 4,5", "other: none (proven)"},
    // Renju, length 2: a four-three is allowed to Black (ExactFourThree).
    {"RenjuBlackFourThree", 20, "renju", "6,8 7,8 8,8 10,6 10,7", "5,8 0,0 0,19 19,0 19,19", "10,8 9,8 10,5", 2,
     "to-move: win 10,8", "other: none (proven)"},
    // Renju, length 5: the ladder for Black; no move of it is forbidden.
    {"RenjuBlackLadderFive", 20, "renju", "2,5 2,6 2,7 3,4 5,4 6,5 6,6 7,8 8,8 10,6 10,7",
     "1,4 2,8 5,8 6,3 0,0 0,12 0,19 14,0 19,0 19,12 19,19", "2,4 2,3 6,4 4,4 6,8 6,7 10,8 9,8 10,5", 5,
     "to-move: win 2,4", "other: none (proven)"},
    // Renju, length 2: White may make a double four (FreeDoubleFour with the
    // colours exchanged).
    {"RenjuWhiteDoubleFour", 15, "renju", "0,0 0,7 0,14 7,2 11,6 14,0 14,14", "7,3 7,4 7,5 8,6 9,6 10,6", "7,6", 2,
     "to-move: win 7,6", "other: none (proven)"},
    // Renju, length 3: White's ladder 6,8 (6,7) 10,8 (9,8), then 10,9 makes a
    // four on row 10 (10,10 Black) whose point 10,5 is an overline for Black
    // (7,5 8,5 9,5 _ 11,5 12,5). 10,4 is Black so 10,5 gives White no
    // straight four.
    {"RenjuLadderEndsInForbiddenBlock", 20, "renju", "5,8 6,3 7,5 8,5 9,5 10,4 10,10 11,5 12,5",
     "0,0 6,4 6,5 6,6 7,8 8,8 10,6 10,7", "6,8 6,7 10,8 9,8 10,9 10,5", 3, "to-move: win 6,8", "other: none (proven)"},
    // Renju, length 1: White 6,6 makes a four on the diagonal 6,6..9,9
    // (10,10 Black) whose point 5,5 would give Black two fours, row 5
    // (5,1 White) and column 5 (1,5 White): a forbidden double four.
    {"RenjuDoubleFourBlock", 15, "renju", "2,5 3,5 4,5 5,2 5,3 5,4 10,10", "0,0 1,5 5,1 7,7 8,8 9,9", "6,6 5,5", 1,
     "to-move: win 6,6", "other: none (proven)"},
    // Renju, length 1: White's 7,2 7,3 7,4 _ 7,6 7,7 is a four (six counts
    // for White); Black's same shape is not (RenjuOverlineIsNoFive).
    {"RenjuWhiteSixCompletes", 15, "renju", "0,0 0,14 7,1 7,8 14,0 14,14", "7,2 7,3 7,4 7,6 7,7", "", 1,
     "to-move: win 7,5", "other: none (proven)"},
};

inline constexpr ThreatPosition kThreatNoWins[] = {
    // A few scattered stones: no four can be made.
    {"FreeScattered", 15, "freestyle", "3,10 7,7", "10,3 12,12", nullptr, 1, "to-move: none (proven)",
     "other: none (proven)"},
    // White's four 1,2..4,2 (0,2 Black) forces Black to 5,2, which makes
    // nothing; Black's open three on row 7 never gets its turn.
    {"FreeDefenderFourForcesBlock", 15, "freestyle", "0,2 7,5 7,6 7,7", "1,2 2,2 3,2 4,2", nullptr, 1,
     "to-move: none (proven)", "other: win 5,2"},
    // White's straight four 10,4..10,7 cannot be stopped with one stone.
    {"FreeDefenderStraightFour", 15, "freestyle", "0,0 7,5 7,6 7,7", "10,4 10,5 10,6 10,7", nullptr, 1,
     "to-move: none (proven)", "other: win 10,8"},
    // Two closed threes (2,1 and 13,10 White): each gives one four and its
    // block; after both nothing is left.
    {"FreeFoursRunOut", 15, "freestyle", "2,2 2,3 2,4 10,10 11,10 12,10", "0,0 0,14 2,1 13,10 14,0 14,14", nullptr, 3,
     "to-move: none (proven)", "other: none (proven)"},
    // Two crossing open twos: 7,7 would make two open threes, a win by threes
    // that a search by fours does not see.
    {"FreeOnlyThreesWin", 15, "freestyle", "5,7 6,7 7,5 7,6", "0,0 0,14 14,0 14,14", nullptr, 1,
     "to-move: none (proven)", "other: none (proven)"},
    // FreeSixCompletes under exact five: 7,5 makes six, which is no five.
    {"ExactSixIsNoFive", 15, "exact", "7,2 7,3 7,4 7,6 7,7", "0,0 0,14 7,1 7,8 14,0", nullptr, 1,
     "to-move: none (proven)", "other: none (proven)"},
    // FreeStraightFourBetweenOwnStones under exact five: 7,3 and 7,7 make
    // only fours (the far end would make six), each blocked at once.
    {"ExactNoStraightFourBetweenOwnStones", 15, "exact", "7,1 7,4 7,5 7,6 7,9", "0,0 0,7 0,14 14,0 14,14", nullptr, 2,
     "to-move: none (proven)", "other: none (proven)"},
    // The same under Renju for Black.
    {"RenjuNoStraightFourBetweenOwnStones", 15, "renju", "7,1 7,4 7,5 7,6 7,9", "0,0 0,7 0,14 14,0 14,14", nullptr, 2,
     "to-move: none (proven)", "other: none (proven)"},
    // FreeDoubleFour under Renju: Black's 7,6 is a forbidden double four and
    // the single fours 6,6 and 7,7 are blocked on the double-four point,
    // after which nothing is left.
    {"RenjuDoubleFourForbidden", 15, "renju", "7,3 7,4 7,5 8,6 9,6 10,6", "0,0 0,14 7,2 11,6 14,0 14,14", nullptr, 2,
     "to-move: none (proven)", "other: none (proven)"},
    // FreeSixCompletes under Renju: Black's 7,5 is an overline, no five.
    {"RenjuOverlineIsNoFive", 15, "renju", "7,2 7,3 7,4 7,6 7,7", "0,0 0,14 7,1 7,8 14,0", nullptr, 1,
     "to-move: none (proven)", "other: none (proven)"},
    // A 5 x 5 board: the three 2,1 2,2 2,3 makes a four toward either edge,
    // blocked at the other end.
    {"ExactSmallBoard", 5, "exact", "2,1 2,2 2,3", "0,0 4,0 4,4", nullptr, 2, "to-move: none (proven)",
     "other: none (proven)"},
};

}  // namespace quenvik::test
