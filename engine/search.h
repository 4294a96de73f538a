// The search: alpha-beta below the root, the root driver, time control and reports.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"

// Set by the time check, by a found win or loss and by user commands; the search
// returns as soon as it sees it.
extern bool stopRequested;

// Values the game controller sets for the search or reads back from it.
extern int engineSide;            // the side the engine moves for
extern std::int32_t timeBudget;   // hundredths of a second; 2000000000 = unlimited
extern char moveSeparator;        // ':' when the root moves are captures, '-' otherwise
extern std::string pvText;        // the principal variation, moves followed by a blank
extern int depthShown;            // depth of the iteration in progress
extern bool extendedDraw;         // "Расширенная ничья": drawn bitbase root moves scored by material

constexpr std::int32_t unlimitedTime = 2000000000;
