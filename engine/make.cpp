// Making and unmaking moves, with the hash key and material carried incrementally, run
// at every node and are defined inline in engine.h; here is what a helper thread takes
// over from the search it helps.
#include <algorithm>

#include "engine/engine.h"

void Searcher::copyRootFrom(const Searcher& main)
{
    whiteMen = main.whiteMen;
    whiteKings = main.whiteKings;
    blackMen = main.blackMen;
    blackKings = main.blackKings;
    recomputeDerivedSets();
    sideToMove = main.sideToMove;
    plyState[0] = main.plyState[0];
    plyState[1] = main.plyState[1];
    const MoveList& root = main.moveLists[1];
    MoveList& list = moveLists[1];
    list.count = root.count;
    std::copy(root.moves + 1, root.moves + root.count + 1, list.moves + 1);
    std::copy(root.captured + 1, root.captured + root.count + 1, list.captured + 1);
    std::copy(root.scores + 1, root.scores + root.count + 1, list.scores + 1);
    // The pre-search's history and killers order the helper's first iterations too.
    std::copy(&main.historyTable[0][0], &main.historyTable[0][0] + 2 * 1024, &historyTable[0][0]);
    std::copy(&main.killerMovesStore[0][0], &main.killerMovesStore[0][0] + (maxPly + 3) * 2, &killerMovesStore[0][0]);
    pvTable[1][0] = main.pvTable[1][0];
    pvLast[1] = main.pvLast[1];
    engineSide = main.engineSide;
    maxIterationDepth = main.maxIterationDepth;
    nodeCount = 0;
    nodeCountdown = timeCheckInterval;
    bitbaseProbeCount = 0;
    publishedMoves.store(0, std::memory_order_relaxed);
    publishedProbes.store(0, std::memory_order_relaxed);
}
