// The game record: one entry per half-move, from the position the game started in to
// the last half-move made. Stepping back or forward copies a stored position onto
// the board; no move is ever unmade or remade.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"

constexpr int recordCapacity = 600; // the starting position and 599 half-moves
constexpr int moveTextRoom = 6;

struct RecordEntry {
    SquareSet whiteKings = 0;
    SquareSet whiteMen = 0;
    SquareSet blackKings = 0;
    SquareSet blackMen = 0;
    std::uint8_t textLength = 0;      // 0..6
    char text[moveTextRoom] = {};     // as c3-d4 or c3:e5
    std::uint8_t filler = 0;
};

struct GameRecord {
    std::int32_t plyNumber = 1;  // entry of the position on the board
    std::int32_t savedSide = 0;  // side to move when the game was last saved
    std::int32_t redoLimit = 1;  // last valid entry; beyond plyNumber the replayable tail
    RecordEntry entries[recordCapacity + 1]; // 1..600; 0 is not used
};

extern GameRecord gameRecord;

// Shown when a half-move would need a 601st entry.
extern const char* const recordFullMessage;

std::string entryMoveText(const RecordEntry& entry);
// The entry's four sets are the position on the board (side to move aside).
bool entryMatchesBoard(const RecordEntry& entry);
// The entry's four sets are pairwise disjoint.
bool entrySetsDisjoint(const RecordEntry& entry);

// The game restarts from the position now on the board.
void ResetRecord();
bool recordFull();
// After a half-move was made on the board and sideToMove flipped: records it with its
// text (as c3-d4). With the record full the half-move is taken back, a message is
// shown and false returned.
bool AppendMove(const std::string& text);

// Each returns false when the step was refused (at either end, or during setup).
bool StepBack();
bool StepForward();
void MoveBack();
void MoveForward();
void GoToStart();
void GoToEnd();
// Steps back or forward until entry ply is on the board; stops at a refused step.
void GoToPly(int ply);

// Three equal placements among entries 1..plyNumber, whoever was to move.
bool IsThreefoldRepetition();
// The same among the entries 1..last of a record.
bool threefoldRepetitionUpTo(const GameRecord& record, int last);
// The side to move at entry 1, given the side to move at the record's plyNumber.
int firstSideOfRecord(const GameRecord& record, int sideAtPly);

// The guards of the navigation commands. Menu items and keys act when the engine is
// not thinking, or in analysis also while it thinks.
bool navigationAllowed();
// The notation window's buttons keep the human on the move: one half-move when the
// engine is to move, otherwise a whole move.
void NotationBackButton();
void NotationForwardButton();
