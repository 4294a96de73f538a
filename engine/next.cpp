// Move ordering: history and killer moves. The picker that hands moves out runs at
// every node and is defined inline in engine.h.
#include "engine/engine.h"

std::int32_t historyBonusStore[129];

void buildHistoryBonus()
{
    for (int d = -64; d <= 64; ++d) historyBonusStore[d + 64] = d * d;
}

void Searcher::clearOrdering()
{
    for (int p = 1; p <= maxPly; ++p) killerMoves(p)[0] = killerMoves(p)[1] = 0;
    for (auto& side : historyTable)
        for (auto& counter : side) counter = 0;
}

void Searcher::recordCutoff(int side, MoveCode move, int ply, int depth)
{
    if (move & captureFlag) return;
    historyTable[side][move & 1023] += historyBonus(depth);
    MoveCode(&killers)[2] = killerMoves(ply);
    if (move != killers[0]) {
        killers[1] = killers[0];
        killers[0] = move;
    }
}
