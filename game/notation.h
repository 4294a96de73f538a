// The notation window's data: the game as numbered lines of whole moves, the line of
// the half-move the board is at, and the name of the opening being played.
#pragma once

#include <string>
#include <vector>

#include "game/record.h"

struct NotationView {
    std::vector<std::string> lines; // " 1. c3-d4 f6-g5", ...
    int highlight = -1;             // 0-based line of the current half-move; -1 none
    std::string openingName;
};

extern NotationView notationView;

struct OpeningEntry {
    int position;     // place in the catalogue, 1..100; later entries win
    const char* key;  // half-moves as from-file and to-square, as "cd4 fg5 bc3"
    const char* name;
};

extern const OpeningEntry openingCatalogue[];
extern const int openingCatalogueSize;

// The first half-move was Black's: White's pieces of entry 2 all stood on White's
// squares of entry 1 (White did not move, at most lost pieces).
bool blackMovedFirst(const GameRecord& record);
// Lines, highlight and opening name as the window shows them for this record. With
// marks (by entry, as "?!") every half-move is followed by room for two characters,
// its mark or blanks; without them the lines are as the window has always had them.
NotationView buildNotation(const GameRecord& record, const std::vector<std::string>& marks = {});
// The compact form of a game text: c3-d4 becomes cd4, c3:e5 becomes ce5.
std::string compactKey(std::string gameText);
// The name of the last catalogue entry whose key begins the game; empty when none.
std::string openingNameFor(const std::string& key);

// The window's data from the game record: at the game's first position the list and the
// opening's name are empty.
void rebuildNotation();
// The marks of the game's half-moves by record entry ("?!", "?", "??") come from the
// analysis, which provides them once it has any: the notation calls up into no part of
// the play.
using HalfMoveMarks = std::vector<std::string> (*)();
void provideHalfMoveMarks(HalfMoveMarks source);
std::vector<std::string> halfMoveMarks();
// The same, and the windows are told.
void RefreshNotation();
