// The program settings chosen in the settings dialog. Nothing is saved between runs:
// every start begins with these defaults. extendedDraw, which the search reads, is
// an engine global in engine/search.h.
#pragma once

#include <algorithm>
#include <string>

#include "engine/engine.h"

inline bool bookEnabled = true;                // the engine plays library moves
inline std::string libraryFileName = "MyBase.deb";
inline int bookQuietMoves = 10;                // 1..99; shown in the dialog only
inline int designBase = 0;                     // first picture of the board design: 0, 6 or 12
inline bool marksShown = false;                // board coordinates
inline bool showMove = true;                   // outline the squares of the last move

// "Потоки": the threads of the engine's turn, thinking on the opponent's time, the hint
// and the analysis; 0 until chosen in the dialog, korvel.ini's "threads" until then.
inline int threadsChosen = 0;
inline int gameSearchThreads()
{
    return std::clamp(threadsChosen > 0 ? threadsChosen : configuredThreads, 1, logicalProcessors());
}

constexpr int minBookQuietMoves = 1;
constexpr int maxBookQuietMoves = 99;
