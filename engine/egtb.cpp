#include "engine/egtb.h"

bool bitbaseLoaded = false;
std::uint32_t bitbaseProbeCount = 0;

void LoadBitbase() { bitbaseLoaded = false; }

void SwapSides()
{
    const SquareSet wk = whiteKings, wm = whiteMen;
    whiteKings = mirrorSet(blackKings);
    whiteMen = mirrorSet(blackMen);
    blackKings = mirrorSet(wk);
    blackMen = mirrorSet(wm);
    recomputeDerivedSets();
}

int ProbeBitbase() { return 0; }
int ProbeExact() { return 0; }
