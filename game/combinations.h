// The combination finder: positions in which one quiet move or sacrifice, and only
// that one, starts a forced line that wins material; and the checks the collection
// and the trainer make of such lines.
//
// A position is a combination when
//  - the side to move has no capture (captures are compulsory and need no finding)
//    and more than one move;
//  - exactly one move wins: its score is at least 1.5 men above the material on the
//    board (or a found win) and every other move scores at least 1.5 men less; the
//    move is the one the engine chooses in a quick look;
//  - the line that follows it, the defender answering with its best reply and the
//    solver going on with its best move, is forced (every reply of the defender a
//    capture or its only move, but for one quiet reply at most), holds a sacrifice (a solver's move after
//    which the defender's reply leaves the solver with less material than before
//    it), and ends in a quiet position (no capture for the side to move) with at
//    least two men won, a king counting three, or with the defender without a move,
//    or in an ending the tables give as won;
//  - the solver is not more than a king ahead at the start.
// A quick look at a shallow depth picks the candidates; every criterion is then
// checked by the deeper search.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/puzzles.h"

struct FinderLimits {
    int quickDepth = 8;  // the engine's own look, which picks the candidates
    int depth = 14;      // the search every criterion is checked by
    int longestLine = 24; // half-moves
};

constexpr int winningMargin = 150; // 1.5 men: above the board's material, and over every other move
constexpr int requiredGain = 200;  // two men
constexpr int largestLead = 300;   // a solver further ahead has won already: no puzzle

struct ScoredMove {
    LegalMove move;
    int score = 0; // for the side to move
};

// Every legal move of the position with its score at the depth (as the engine counts
// depth: the move itself is the first ply), searched with the full window and fresh
// tables, so that the same question gets the same answer; best first, equal scores in
// generation order. The engine's position and settings are as before afterwards, as
// after every search here.
std::vector<ScoredMove> scoreMoves(const BoardPosition& p, int depth);

// Material from the side's view: a man 100, a king 300.
int materialOf(const BoardPosition& p, int side);

struct FinderVerdict {
    std::optional<Puzzle> puzzle; // its source left empty
    std::string refusal;          // why the position is no combination
};
FinderVerdict findCombination(const BoardPosition& p, const FinderLimits& limits = {});

// The rest of a combination from a position reached along it: the defender's best
// replies and the solver's best moves until the line ends as the finder ends it
// (material counted from startMaterial, the solver's material at the puzzle's start);
// nothing when it does not end so within the half-moves allowed.
std::optional<std::vector<LegalMove>> combinationLine(const BoardPosition& from, int solver, int startMaterial,
                                                      int depth, int longestLine);

// Whether a solver's move other than the line's wins as much: its score at the depth
// is no less than the line move's less a small allowance for the search's noise, or
// reaches the target (from the side to move's view: the material the puzzle's gain
// leads to, say).
bool winsAsMuch(const BoardPosition& p, const LegalMove& move, const LegalMove& lineMove, int depth, int target);

// The deep check of a collection's puzzle: the line is the one the finder gives at
// the depth, up to the replies it chooses among equals (the first move must be the
// only winning one, the line must hold a sacrifice, end quiet and win as stated).
// Empty when it passes, else what fails.
std::string checkPuzzle(const Puzzle& puzzle, int depth);
