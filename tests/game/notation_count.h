// The half-moves the notation window lists, counted from its lines: what the board,
// the record and the notation must agree on.
#pragma once

#include <string>

#include "engine/engine.h"
#include "game/notation.h"

inline int halfMovesInNotation()
{
    int halfMoves = 0;
    for (const std::string& line : notationView.lines)
        for (std::size_t i = 0; i + 5 <= line.size(); ++i)
            if ((line[i + 2] == '-' || line[i + 2] == ':') && squareFromName(line.substr(i, 2)) >= 0 &&
                squareFromName(line.substr(i + 3, 2)) >= 0)
                ++halfMoves;
    return halfMoves;
}
