// Move ordering: history and killer moves, and the picker that hands moves out.
#include "engine/engine.h"

std::int32_t historyTable[2][1024];
MoveCode killerMovesStore[maxPly + 3][2];
std::int32_t historyBonusStore[129];

void buildHistoryBonus()
{
    for (int d = -64; d <= 64; ++d) historyBonusStore[d + 64] = d * d;
}

void clearOrdering()
{
    for (int p = 1; p <= maxPly; ++p) killerMoves(p)[0] = killerMoves(p)[1] = 0;
    for (auto& side : historyTable)
        for (auto& counter : side) counter = 0;
}

void recordCutoff(int side, MoveCode move, int ply, int depth)
{
    if (move & captureFlag) return;
    historyTable[side][move & 1023] += historyBonus(depth);
    MoveCode(&killers)[2] = killerMoves(ply);
    if (move != killers[0]) {
        killers[1] = killers[0];
        killers[0] = move;
    }
}

int pickNextMove(int ply)
{
    PlyState& state = plyState[ply];
    if (state.movesLeft <= 0) return 0;
    MoveList& list = moveLists[ply];
    const int i = list.count - state.movesLeft + 1;
    if (state.sortPending) {
        // Partial selection sort: once only unscored moves remain, list order rules.
        int best = i;
        for (int j = i + 1; j <= list.count; ++j)
            if (list.scores[j] > list.scores[best]) best = j;
        if (best != i) {
            std::swap(list.moves[i], list.moves[best]);
            std::swap(list.captured[i], list.captured[best]);
            std::swap(list.scores[i], list.scores[best]);
        }
        if (list.scores[i] <= 0) state.sortPending = 0;
    }
    --state.movesLeft;
    return i;
}
