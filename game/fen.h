// Positions as FEN strings in the form draughts players exchange: the side to move,
// then each colour's pieces by square name, "K" before a king, e.g. W:Wa1,c1,Kg3:Bb8,h8.
#pragma once

#include <optional>
#include <string>

#include "engine/engine.h"

struct BoardPosition {
    SquareSet whiteMen = 0;
    SquareSet whiteKings = 0;
    SquareSet blackMen = 0;
    SquareSet blackKings = 0;
    int side = White;

    bool operator==(const BoardPosition&) const = default;
};

BoardPosition currentBoardPosition(); // the engine position with `sideToMove`
void setBoardPosition(const BoardPosition& position); // sets the engine position and `sideToMove`
void setBoardPosition(Searcher& searcher, const BoardPosition& position); // a searcher's own

std::string positionToFen(const BoardPosition& position);

// The text without the white space around it, as FEN strings, files and lines are read.
std::string trimmed(const std::string& text);

// Text from a file or the clipboard as a message quotes it: in double quotes, at most
// `most` characters, cut short with "…"; control characters and bytes that are not
// UTF-8 are written as \xNN, so that no message carries raw bytes.
std::string quotedExcerpt(const std::string& text, std::size_t most = 24);

// Reads a FEN string; on failure returns nothing and, when `error` is given, a message
// in Russian saying what is wrong. A position is refused when a square is named twice
// or a colour is not named. Whatever the writer writes reads back: a man on its
// crowning row (setup allows one) and a colour, or both, without pieces.
std::optional<BoardPosition> parseFen(const std::string& text, std::string* error = nullptr);
