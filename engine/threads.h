// The helper threads of a parallel search. Each helper searches the main search's root
// with a Searcher of its own over the shared tables, from a staggered depth, until the
// main search stops them; only the main search reports, pumps messages and chooses the
// move. The threads are made once and wait between searches.
#pragma once

#include <cstdint>

#include "engine/engine.h"

// Starts `helpers` helper threads from the root of the main search (prepared, its
// root list in place); false when another parallel search is running, which then
// keeps them.
bool startHelperThreads(const Searcher& main, int helpers);
// Stops the helpers of a running search and waits until they are idle; returns at
// once when none runs. Whatever changes the shared tables calls it first.
void stopHelperThreads();
// What the running helpers have published: moves made and bitbase probes.
std::int64_t helperMovesMade();
std::uint32_t helperProbes();
// The main search of the running parallel search has completed a depth; the deepest it
// has.
void mainDepthCompleted(int depth);
int mainCompletedDepth();
// The depth helper `index` (0 the first) searches next, at least `depth`: beyond those
// the main search has completed, and every other helper one deeper still, so that the
// threads spread over two depths.
int helperNextDepth(int index, int depth);
