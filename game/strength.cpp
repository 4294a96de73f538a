#include "game/strength.h"

#include <algorithm>

#include "engine/search.h"

namespace {

// Measured with korvel-cli match: each level takes 65-90 % of the points from the one
// below it at a tenth of a second a move.
constexpr LevelSettings levels[strongestLevel + 1] = {
    {},
    {0, 1, 90},  // 1
    {0, 2, 70},  // 2
    {0, 3, 40},  // 3
    {0, 5, 25},  // 4
    {7, 0, 0},   // 5
    {9, 0, 0},   // 6
    {11, 0, 0},  // 7
    {lastIterationDepth, 0, 0}, // 8: the full engine
};

// Scores every root move, then takes one at random among those close to the best.
void chooseWithinMargin(const LevelSettings& level)
{
    scoreRootMoves(engineSide, level.choiceDepth);
    const MoveList& list = moveLists[1];
    int best = list.scores[1];
    for (int k = 2; k <= list.count; ++k) best = std::max(best, list.scores[k]);
    int candidates[moveListCapacity + 1];
    int count = 0;
    for (int k = 1; k <= list.count; ++k)
        if (list.scores[k] >= best - level.margin) candidates[count++] = k;
    const int chosen = candidates[randomBelow(static_cast<std::uint32_t>(count))];
    const int score = list.scores[chosen];
    moveToFront(chosen);
    const MoveCode move = moveLists[1].moves[1];
    pvText = lineText(&move, 1);
    if (!searchReporter) return;
    SearchProgress choice;
    choice.kind = SearchProgress::Kind::LevelChoice;
    choice.side = engineSide;
    choice.depth = level.choiceDepth;
    choice.score = score;
    choice.line = {&move, 1};
    searchReporter->progress(choice);
    searchReporter->iterationCompleted(level.choiceDepth, score);
}

} // namespace

LevelSettings levelSettings(int level) { return levels[std::clamp(level, weakestLevel, strongestLevel)]; }

void searchAtLevel(int level, int threads)
{
    const LevelSettings settings = levelSettings(level);
    if (settings.depthLimit == 0) {
        chooseWithinMargin(settings);
        return;
    }
    // Below full strength one thread, so that a level plays as it was measured.
    const int deepest = maxIterationDepth;
    const int threadsBefore = searchThreads;
    maxIterationDepth = std::min(deepest, settings.depthLimit);
    searchThreads = level < strongestLevel ? 1 : threads;
    iterativeDeepening();
    maxIterationDepth = deepest;
    searchThreads = threadsBefore;
}
