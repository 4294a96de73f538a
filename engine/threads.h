// The helper threads of a parallel search. Each helper searches the main search's root
// with a Searcher of its own over the shared tables, from a staggered depth, until the
// main search stops them; only the main search reports, pumps messages and chooses the
// move. The threads are made once and wait between searches.
#pragma once

#include <atomic>
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
// A root search of the depth loop: its depth and aspiration window.
struct RootTask {
    int depth;
    int low, high;
    bool operator==(const RootTask&) const = default;
};
// The main search starts a root search: helpers still searching a shallower depth, or
// the same depth in another window, stop to join it.
void mainRootSearchStarts(int depth, int low, int high);
// The root search the main search is running (depth 7, the full window, before its first).
RootTask mainRootTask();
// What a helper is searching, published for the main search.
void publishHelperTask(Searcher& helper, RootTask task);
// Whether a helper searching `task` is left behind by the main search's `main`.
bool helperBehind(RootTask task, RootTask main);

// Moves being searched in a parallel search, one slot per claim: a thread that finds a
// move claimed by another at the same node leaves it for last and searches its other
// moves first, so that the threads split the work of a node rather than repeat it, and
// the move left for last mostly finds the other thread's result in the tables. A claim
// lost to another in the same slot costs only a repeated search.
constexpr int claimSlotBits = 14;
inline std::atomic<std::uint32_t> claimSlots[1 << claimSlotBits];
// Nodes with less depth left than this split nothing: their moves are cheap.
constexpr int claimDepth = 4;

// Never 0, the empty slot.
inline std::uint32_t moveClaim(std::uint32_t positionKey, MoveCode move)
{
    return (positionKey ^ (move * 0x9E3779B1u)) | 1u;
}
inline std::atomic<std::uint32_t>& claimSlot(std::uint32_t claim)
{
    return claimSlots[(claim * 0x85EBCA6Bu) >> (32 - claimSlotBits)];
}
inline bool claimed(std::uint32_t claim) { return claimSlot(claim).load(std::memory_order_relaxed) == claim; }
inline void stakeClaim(std::uint32_t claim) { claimSlot(claim).store(claim, std::memory_order_relaxed); }
// Empties the slot unless another claim has taken it meanwhile.
inline void releaseClaim(std::uint32_t claim)
{
    std::uint32_t expected = claim;
    claimSlot(claim).compare_exchange_strong(expected, 0, std::memory_order_relaxed);
}

inline bool Searcher::leftForLater(int ply, int index, std::uint32_t claim, bool mayDefer, int& deferred)
{
    if (mayDefer && deferred < maxDeferred && claimed(claim)) {
        deferredMoves[ply][deferred++] = static_cast<std::uint16_t>(index);
        return true;
    }
    stakeClaim(claim);
    return false;
}
