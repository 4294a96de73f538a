// The search: alpha-beta below the root, the root driver, time control and reports.
//
// One engine move runs: prepareSearch (ordering tables, counters, age, stop flag and
// the root list with its depth-5 pre-search), then, when the list holds two or more
// moves and no library move is taken, iterativeDeepening. The move to play is always
// entry 1 of the root list (the move list of ply 1). Every operation is a member of
// the Searcher that runs it; the names below reach the game's mainSearcher.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "engine/engine.h"

constexpr int aspirationMargin = 35;
constexpr int fullWindowScore = 2900; // from here on every depth starts with the full window

// "Расширенная ничья": drawn bitbase root moves scored by material. A setting of the
// program that every search thread reads.
extern std::atomic<bool> extendedDraw;

// ---------------------------------------------------------------- reports
// What the search shows while it thinks, as plain data; whoever listens turns it into
// texts.
struct SearchProgress {
    using Kind = ProgressKind;
    Kind kind = Kind::TimeCheck;
    int side = Black;          // the side searched for: the score is from its view
    int depth = 0;             // the iteration in progress
    int score = 0;
    std::int64_t moves = 0;    // moves made since the engine move began, by all threads
    std::int64_t speed = -1;   // thousands of moves a second since the depth loop began; -1 unknown
    std::uint32_t probes = 0;  // bitbase probes since the engine turn began, by all threads
    std::span<const MoveCode> line; // the principal variation, best move first
};

// How the search talks to whoever shows it: the windows, korvel-cli, tests. Every
// call has a silent default.
class SearchReporter {
public:
    virtual ~SearchReporter() = default;
    virtual void progress(const SearchProgress&) {}
    // Lets the windows handle what is queued; commands may set stopRequested here.
    virtual void pumpMessages() {}
    // After a root search of the depth loop that completes its depth, or that found a
    // win or loss and so ends the loop; pvText and the root list are up to date.
    virtual void iterationCompleted(int /*depth*/, int /*score*/) {}
};

// Seconds on a monotonic clock; replaceable so that tests control time. Only a main
// search reads it.
extern double (*searchClock)();
double steadySeconds();

// ---------------------------------------------------------------- the game's search
// The main searcher's settings, results and operations under the names the game
// layer and the tests use.
inline std::atomic<bool>& stopRequested = mainSearcher.stopRequested;
inline int& engineSide = mainSearcher.engineSide;
inline std::int32_t& timeBudget = mainSearcher.timeBudget;
inline char& moveSeparator = mainSearcher.moveSeparator;
inline std::string& pvText = mainSearcher.pvText;
inline int& depthShown = mainSearcher.depthShown;
inline int& rootScore = mainSearcher.rootScore;
inline int& maxIterationDepth = mainSearcher.maxIterationDepth;
inline int& searchThreads = mainSearcher.threads;
inline SearchReporter*& searchReporter = mainSearcher.searchReporter;
inline int (*&bookCandidateCountHook)() = mainSearcher.bookCandidateCountHook;
inline std::uint32_t (&pvTable)[maxPly + 1][66] = mainSearcher.pvTable;
inline int (&pvLast)[maxPly + 1] = mainSearcher.pvLast;
inline std::int64_t& nodeCount = mainSearcher.nodeCount;
inline double& budgetStart = mainSearcher.budgetStart;
inline double& searchStart = mainSearcher.searchStart;
inline double& lastReading = mainSearcher.lastReading;
inline int& windowLow = mainSearcher.windowLow;
inline int& windowHigh = mainSearcher.windowHigh;
inline bool& failedHigh = mainSearcher.failedHigh;
inline bool& failedLow = mainSearcher.failedLow;

// Clears the ordering tables, resets the counters, advances searchAge, clears the stop
// flag, starts the move's clock, then prepareRoot; side becomes engineSide.
inline void prepareSearch(int side) { mainSearcher.prepareSearch(side); }
// Fills the root list (ply 1), scores every move by a depth-5 search and sorts it,
// unless the library has candidates.
inline void prepareRoot(int side) { mainSearcher.prepareRoot(side); }
// Every root move's exact score by a full-window search of the given depth below it.
inline void scoreRootMoves(int side, int depth) { mainSearcher.scoreRootMoves(side, depth); }
// The root list ordered by its scores, highest first; equal scores keep their order.
inline void sortRootMoves() { mainSearcher.sortRootMoves(); }
// The depth loop for engineSide on searchThreads threads; on return entry 1 of the
// root list is the move to play.
inline void iterativeDeepening() { mainSearcher.iterativeDeepening(); }
inline int rootSearch(int alpha, int beta, int depth, int side) { return mainSearcher.rootSearch(alpha, beta, depth, side); }
inline void moveToFront(int index) { mainSearcher.moveToFront(index); }
// True when the time budget of the move is spent; also reports and pumps messages.
inline bool checkTime() { return mainSearcher.checkTime(); }
// Aspiration: whether a root score completes the depth (else the window for the
// re-search is set), and the window the next depth starts with.
inline bool depthComplete(int score) { return mainSearcher.depthComplete(score); }
inline void windowForNextDepth(int score) { mainSearcher.windowForNextDepth(score); }
inline int alphaBeta(int alpha, int beta, int depth, int ply, int side)
{
    return mainSearcher.alphaBeta(alpha, beta, depth, ply, side);
}
inline int quiescence(int alpha, int beta, int ply, int side) { return mainSearcher.quiescence(alpha, beta, ply, side); }
// pvText from row 1 of pvTable, skipping empty entries; in place, without allocating
// once pvText has grown to a full line.
inline void rebuildPvText() { mainSearcher.rebuildPvText(); }
// Moves made so far in this engine move by the main search, exactly.
inline std::int64_t movesMade() { return mainSearcher.movesMade(); }
