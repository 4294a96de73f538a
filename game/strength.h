// Strength levels, "Уровень 1" (a beginner) to "Уровень 8" (full strength). Below full
// strength the engine looks less far ahead, and at the lowest levels it picks at random
// among the root moves whose score lies within a margin of the best, the margin
// shrinking as the level rises. The time control still applies at every level.
#pragma once

constexpr int weakestLevel = 1;
constexpr int strongestLevel = 8;

// The "Уровень" radio group; every mode in which the engine plays a move uses it.
inline int engineLevel = strongestLevel;

struct LevelSettings {
    int depthLimit = 0;   // the deepest iteration of the depth loop; 0: no depth loop
    int choiceDepth = 0;  // without a depth loop: every root move scored at this depth
    int margin = 0;       // ... and one of those within this margin of the best chosen
};
LevelSettings levelSettings(int level);

// After prepareSearch, for a root list of two moves or more: searches at the level and
// leaves the move to play in entry 1 of the root list, with the search's reports made.
// Full strength searches on the threads given; the lower levels always on one.
void searchAtLevel(int level, int threads = 1);
