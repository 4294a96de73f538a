// Endgame bitbases: the in-memory win/loss/draw table and the per-table distance files.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"

extern bool bitbaseLoaded;
extern std::uint32_t bitbaseProbeCount;

void LoadBitbase();
// Exchanges White and Black and turns the board by 180 degrees; twice restores it.
void SwapSides();
// 3000, -3000 or 0 for White to move, White stronger or equal.
int ProbeBitbase();
// White has just moved, Black to move: 0 draw, n > 0 White wins in n, -n White loses
// in n, 255 White has already won.
int ProbeExact();
