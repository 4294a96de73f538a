// The federation's draw rules for dead endings, when the user turns them on: a game
// in which both sides only shuffle kings, and a lone king that the stronger side
// cannot catch in time. Everything is read off the game record, so take-backs,
// replays, loads and set-up positions count correctly.
#pragma once

#include <string>

#include "game/record.h"

// "Правила ничьей (ФШР)" in the settings dialog; off unless the user turns it on.
inline bool officialDrawRules = false;

enum class DrawRule {
    None,
    KingMovesOnly,     // 25 moves of each side: only kings moved, nothing was captured
    ThreeAgainstKing,  // three pieces, one of them a king, have not caught a lone king by their 16th move
    FewAgainstKing,    // two pieces or one, with a king, have not caught a lone king by their 5th move
};

constexpr int kingMovesOnlyLimit = 50;    // half-moves: 25 of each side
constexpr int threeAgainstKingLimit = 16; // moves of the stronger side
constexpr int fewAgainstKingLimit = 5;

// How far the game at entry `ply` (with `sideAtPly` to move there) has come under
// each rule: the trailing half-moves made only by kings without a capture, and the
// moves of the stronger side since the present balance against a lone king arose.
struct DrawCounters {
    int kingOnlyHalfMoves = 0;
    DrawRule balance = DrawRule::None; // ThreeAgainstKing, FewAgainstKing or None
    int strongerSideMoves = 0;
};
DrawCounters drawCountersAt(const GameRecord& record, int ply, int sideAtPly);

// The rule that ends the game at that entry, or None.
DrawRule drawRuleAt(const GameRecord& record, int ply, int sideAtPly);
// The announcement naming the rule.
std::string drawRuleMessage(DrawRule rule);
