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

std::string positionToFen(const BoardPosition& position);

// Reads a FEN string; on failure returns nothing and, when `error` is given, a message
// in Russian saying what is wrong. A position is refused when a square is named twice,
// a man stands on the rank where it would be a king, a colour is not named, or the
// board is empty; a named colour may have no piece left (a game's last position).
std::optional<BoardPosition> parseFen(const std::string& text, std::string* error = nullptr);
