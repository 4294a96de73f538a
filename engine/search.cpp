// The search: alpha-beta with principal-variation re-searches and quiescence below the
// root, the root list and its pre-search, the depth loop with aspiration windows, the
// time check and the reports.
#include "engine/search.h"

#include <algorithm>
#include <chrono>

#include "engine/egtb.h"
#include "engine/threads.h"

std::atomic<bool> extendedDraw{true};
double (*searchClock)() = steadySeconds;

namespace {

constexpr int captureCredit = 5;   // two captures along a line buy one ply
constexpr int creditPerPly = 10;
// Room for 66 moves of 6 characters.
constexpr std::size_t pvTextCapacity = 66 * 6;

// The interior bitbase probe, where the tables cover the position: its value when the
// side to move is the stronger or equal side.
inline bool bitbaseCovers(SquareSet occupied) { return bitbaseLoaded && popCount(occupied) <= bitbasePieceLimit(); }

} // namespace

bool Searcher::probeInterior(int side, int& score)
{
    const int ownKings = popCount(side == White ? whiteKings : blackKings);
    const int ownMen = popCount(side == White ? whiteMen : blackMen);
    const int enemyKings = popCount(side == White ? blackKings : whiteKings);
    const int enemyMen = popCount(side == White ? blackMen : whiteMen);
    if (ownKings < enemyKings || (ownKings == enemyKings && ownMen < enemyMen)) return false;
    if (side == Black) SwapSides(); // the tables see the side to move as White
    const int verdict = ProbeBitbase();
    if (side == Black) SwapSides();
    score = verdict + (ownMen - enemyMen) + 3 * (ownKings - enemyKings);
    return true;
}

// Row ply becomes the move followed by the line found below it.
inline void Searcher::adoptChildLine(int ply, MoveCode move)
{
    std::uint32_t* row = pvTable[ply];
    const std::uint32_t* child = pvTable[ply + 1];
    row[0] = move;
    const int count = pvLast[ply + 1] - ply;
    for (int c = 0; c < count; ++c) row[c + 1] = child[c];
    pvLast[ply] = pvLast[ply + 1];
}

namespace {

inline void resetOrderingState(PlyState& state)
{
    state.sortPending = 1;
    state.hashMove = 0;
    state.bestMove = 0;
    state.hashBound = 0;
}

} // namespace

// The table entries of the children of the quiet moves in the list are asked for
// from memory all at once, long before the children probe them: their waits overlap,
// and they overlap with the search of the first moves.
void Searcher::prefetchChildEntries(int side, int ply, int n)
{
    const MoveList& list = moveLists[ply];
    for (int i = 1; i <= n; ++i) {
        keyAfterQuietMove(list.moves[i], side, ply);
        prefetchHash(plyState[ply + 1].positionKey, side ^ 1);
    }
}

// Enhanced transposition cutoff over the quiet moves of the list: a child already
// known to be bad enough for the opponent refutes this node without a search. Returns
// true with the score when it does; otherwise raises moves whose child failed low.
bool Searcher::transpositionCutoff(int side, int depth, int beta, int ply, int n, int& score)
{
    MoveList& list = moveLists[ply];
    const std::uint32_t& childKey = plyState[ply + 1].positionKey;
    for (int i = 1; i <= n; ++i) {
        keyAfterQuietMove(list.moves[i], side, ply);
        const HashPeek entry = peekHash(childKey, side ^ 1);
        if (entry.bound == 0) continue;
        if (entry.depth >= depth - 1) {
            const int childScore = scoreFromTable(entry.score, ply + 1);
            if ((entry.bound == boundUpper || entry.bound == boundExact) && -childScore >= beta) {
                score = -childScore;
                return true;
            }
        } else if (entry.bound == boundUpper) {
            list.scores[i] += 1000;
        }
    }
    return false;
}

// Depth adjustment of a move: +1 for every second capture along the line, otherwise a
// reduction of quiet moves in null-window nodes that are already well above material.
inline int Searcher::depthAdjustment(bool capture, int ply, int alpha, int beta, int material, int pieces)
{
    PlyState& state = plyState[ply];
    state.extensionCredit = plyState[ply - 1].extensionCredit + (capture ? captureCredit : 0);
    if (state.extensionCredit >= creditPerPly) {
        state.extensionCredit -= creditPerPly;
        return 1;
    }
    if (capture || beta - alpha != 1 || pieces <= 10 || alpha < material + 50 || alpha >= 1000 || alpha <= -1000)
        return 0;
    if (alpha >= material + 300) return -3;
    if (alpha >= material + 150) return -2;
    return -1;
}

// ---------------------------------------------------------------- reports
// Every report is made only while a reporter listens; helpers have none.
std::int64_t Searcher::speedSinceSearchStart(std::int64_t moves) const
{
    // Nothing while no time has passed, nor when the last reading is older than the
    // loop (it then belongs to the pre-search or to an earlier move and would give a
    // negative speed).
    const double milliseconds = (lastReading - searchStart) * 1000.0;
    if (milliseconds <= 0) return -1;
    return static_cast<std::int64_t>(static_cast<double>(moves) / milliseconds);
}

namespace {

// The line of row 1 of the principal-variation table as moves.
struct RootLine {
    MoveCode moves[66];
    int length = 0;
};

RootLine rootLineOf(const std::uint32_t* row, int count)
{
    RootLine line;
    for (int c = 0; c < count; ++c)
        if (const auto move = static_cast<MoveCode>(row[c])) line.moves[line.length++] = move;
    return line;
}

} // namespace

void Searcher::pumpMessages()
{
    if (searchReporter) searchReporter->pumpMessages();
}

// A report of the kind with the counts of every thread; the line of row 1 for the
// kinds that show it. Followed by a pump.
void Searcher::report(ProgressKind kind, int score)
{
    SearchProgress p;
    p.kind = kind;
    p.side = engineSide;
    p.depth = depthShown;
    p.score = score;
    p.moves = nodeCount + helperMovesMade();
    p.speed = speedSinceSearchStart(p.moves);
    p.probes = bitbaseProbeCount + helperProbes();
    RootLine line;
    if (kind != SearchProgress::Kind::TimeCheck) {
        line = rootLineOf(pvTable[1], pvLast[1]);
        p.line = {line.moves, static_cast<std::size_t>(line.length)};
    }
    searchReporter->progress(p);
    pumpMessages();
}

void Searcher::reportNewBestMove(int score)
{
    if (helper) return;
    rebuildPvText();
    if (searchReporter) report(SearchProgress::Kind::NewBestMove, score);
}

// ---------------------------------------------------------------- the root
// The root move's score from the distance files, when they cover the position after it.
bool Searcher::rootBitbaseScore(int side, int& score)
{
    if (!bitbaseLoaded || popCount(occupied) > bitbasePieceLimit() || whitePieces == 0 || blackPieces == 0) return false;
    if (side == Black) SwapSides(); // the tables see the side that has just moved as White
    const int r = ProbeExact();
    if (side == Black) SwapSides();
    if (r == probeUnavailable) return false;
    if (r == 255) score = 4999;
    else if (r > 0) score = infiniteScore - 2 * r;
    else if (r < 0) score = -infiniteScore - 2 * r;
    else if (extendedDraw.load(std::memory_order_relaxed)) {
        const int white = popCount(whiteMen) + 5 * popCount(whiteKings);
        const int black = popCount(blackMen) + 5 * popCount(blackKings);
        score = side == White ? white - black : black - white;
    } else {
        score = 0;
    }
    pvLast[2] = 1; // nothing was searched below the move: its line is the move alone
    return true;
}

int Searcher::searchRootMove(int alpha, int beta, int depth, int side, bool pvFound)
{
    int score = 0;
    if (rootBitbaseScore(side, score)) return score;
    if (pvFound) {
        score = -alphaBeta(-alpha - 1, -alpha, depth - 1, 2, side ^ 1);
        if (score > alpha && score < beta) score = -alphaBeta(-beta, -alpha, depth - 1, 2, side ^ 1);
        return score;
    }
    return -alphaBeta(-beta, -alpha, depth - 1, 2, side ^ 1);
}

// ---------------------------------------------------------------- the clock

// A steady clock: only differences of readings are ever used.
double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}


void Searcher::rebuildPvText()
{
    pvText.clear();
    for (int c = 0; c < pvLast[1]; ++c) {
        const auto move = static_cast<MoveCode>(pvTable[1][c]);
        if (move == 0) continue;
        pvText += squareName[moveFrom(move)];
        pvText += (move & captureFlag) ? ':' : '-';
        pvText += squareName[moveTo(move)];
        pvText += ' ';
    }
}

// ---------------------------------------------------------------- alpha-beta
// Both searches take the side as a template argument, so that move making and capture
// generation are inlined for it; alphaBeta and quiescence below choose the side.
template <int side, bool sharedTree>
int Searcher::alphaBetaFor(int alpha, int beta, int depth, int ply)
{
    pvLast[ply] = ply - 1;
    if (alpha > infiniteScore - ply) return alpha; // nothing better is reachable here
    if ((side == White ? whitePieces : blackPieces) == 0) return ply - infiniteScore;
    if (ply >= deepestPly) return evaluate(side);
    if (nodeCountdown <= 0 && checkTime()) stopRequested.store(true, std::memory_order_relaxed);
    if (stopRequested.load(std::memory_order_relaxed)) return beta;

    PlyState& state = plyState[ply];
    resetOrderingState(state);
    if (depth > 2) {
        const int score = probeHash(side, depth, ply);
        if (state.hashBound == boundUpper && score <= alpha) return score;
        if (state.hashBound == boundLower && score >= beta) return score;
        // An exact entry only settles a null-window node; in an open window it orders.
        if (state.hashBound == boundExact && beta - alpha == 1) {
            pvTable[ply][0] = state.hashMove;
            pvLast[ply] = ply;
            return score;
        }
    }
    if (int probed = 0; bitbaseCovers(occupied) && probeInterior(side, probed)) return probed;

    const int material = state.materialBalance;
    const int pieces = popCount(occupied);
    int n = generateCapturesFor<side>(ply);
    if (n == 0) {
        n = generateQuietMovesFor<side>(ply);
        if (n == 0) return ply - infiniteScore;
        if (depth > 3) prefetchChildEntries(side, ply, n); // children deeper than 2 probe
        if (int cut = 0; depth > 4 && transpositionCutoff(side, depth, beta, ply, n, cut)) return cut;
    }

    state.movesLeft = n;
    const MoveList& list = moveLists[ply];
    bool pvFound = false;
    int bound = boundUpper;
    int adjust = 0;
    // A shared node searches its first move whatever the other threads do, then leaves
    // the moves they are searching for a second round, which begins once resumed > 0.
    [[maybe_unused]] int searched = 0, deferred = 0, resumed = 0;
    for (int i;;) {
        i = pickNextMove(ply);
        if constexpr (sharedTree) {
            if (i == 0) {
                if (resumed == deferred) break;
                i = deferredMoves[ply][resumed++];
            }
        } else if (i == 0) {
            break;
        }
        const MoveCode move = list.moves[i];
        [[maybe_unused]] std::uint32_t claim = 0;
        if constexpr (sharedTree) {
            if (depth >= claimDepth) {
                claim = moveClaim(state.positionKey, move);
                if (leftForLater(ply, i, claim, searched > 0 && resumed == 0, deferred)) continue;
            }
            ++searched;
        }
        const bool capture = move & captureFlag;
        adjust = depthAdjustment(capture, ply, alpha, beta, material, pieces);
        const int newDepth = depth + adjust - 1;
        // A quiescence child reads no key: only a searched child gets one.
        if (newDepth <= 0) {
            makeMoveFor<side, false>(move, list.captured[i], ply);
        } else {
            makeMoveFor<side>(move, list.captured[i], ply);
            if (newDepth > 2) prefetchHash(plyState[ply + 1].positionKey, side ^ 1);
        }
        int score;
        if (newDepth <= 0) {
            score = -quiescenceFor<side ^ 1>(-beta, -alpha, ply + 1);
        } else if (pvFound) {
            score = -alphaBetaFor<side ^ 1, sharedTree>(-alpha - 1, -alpha, newDepth, ply + 1);
            if (score > alpha && score < beta)
                score = -alphaBetaFor<side ^ 1, sharedTree>(-beta, -alpha, newDepth, ply + 1);
        } else {
            score = -alphaBetaFor<side ^ 1, sharedTree>(-beta, -alpha, newDepth, ply + 1);
        }
        unmakeMove(ply);
        if constexpr (sharedTree) {
            if (claim) releaseClaim(claim);
        }
        if (score <= alpha || stopRequested.load(std::memory_order_relaxed)) continue;
        if (score >= beta) {
            if (depth > 2) storeHash(side, depth + adjust, ply, score, boundLower, move);
            recordCutoff(side, move, ply, depth);
            return score;
        }
        state.bestMove = move;
        adoptChildLine(ply, move);
        alpha = score;
        bound = boundExact;
        pvFound = true;
    }
    // A node cut short by a stop knows no bound: it leaves nothing for later searches.
    if (depth > 2 && !stopRequested.load(std::memory_order_relaxed))
        storeHash(side, depth + adjust, ply, alpha, bound, static_cast<MoveCode>(state.bestMove));
    return alpha;
}

template <int side>
int Searcher::quiescenceFor(int alpha, int beta, int ply)
{
    pvLast[ply] = ply - 1;
    if ((side == White ? whitePieces : blackPieces) == 0) return ply - infiniteScore;
    if (alpha > infiniteScore - ply) return alpha;
    if (ply >= deepestPly) return evaluate(side);

    PlyState& state = plyState[ply];
    resetOrderingState(state); // so that the order of moves never depends on an earlier node
    int n = generateCapturesFor<side>(ply);
    if (n == 0) {
        if (int probed = 0; bitbaseCovers(occupied) && probeInterior(side, probed)) return probed;
        const int standPat = evaluate(side);
        if (standPat > alpha) {
            if (standPat >= beta) return standPat;
            alpha = standPat;
        }
        n = generateAdvancedManMovesFor<side>(ply);
        if (n == 0) return alpha;
    }

    state.movesLeft = n;
    const MoveList& list = moveLists[ply];
    for (int i; (i = pickNextMove(ply)) != 0;) {
        const MoveCode move = list.moves[i];
        makeMoveFor<side, false>(move, list.captured[i], ply); // quiescence reads no key
        const int score = -quiescenceFor<side ^ 1>(-beta, -alpha, ply + 1);
        unmakeMove(ply);
        if (score <= alpha) continue;
        if (score >= beta) return score;
        state.bestMove = move;
        alpha = score;
        adoptChildLine(ply, move);
    }
    return alpha;
}

int Searcher::alphaBeta(int alpha, int beta, int depth, int ply, int side)
{
    if (shared)
        return side == White ? alphaBetaFor<White, true>(alpha, beta, depth, ply)
                             : alphaBetaFor<Black, true>(alpha, beta, depth, ply);
    return side == White ? alphaBetaFor<White, false>(alpha, beta, depth, ply)
                         : alphaBetaFor<Black, false>(alpha, beta, depth, ply);
}

int Searcher::quiescence(int alpha, int beta, int ply, int side)
{
    return side == White ? quiescenceFor<White>(alpha, beta, ply) : quiescenceFor<Black>(alpha, beta, ply);
}

// ---------------------------------------------------------------- time
bool Searcher::checkTime()
{
    nodeCountdown = timeCheckInterval;
    nodeCount += timeCheckInterval;
    if (helper) {
        // A helper reads no clock: its main search keeps the time and stops it. An
        // iteration the main search has completed meanwhile is not worth finishing (the
        // main search stops it too, as soon as it starts its next root search).
        publishedMoves.store(nodeCount, std::memory_order_relaxed);
        publishedProbes.store(bitbaseProbeCount, std::memory_order_relaxed);
        return depthShown <= mainCompletedDepth();
    }
    lastReading = searchClock();
    const bool spent = timeBudget <= (lastReading - budgetStart) * 100.0;
    if (searchReporter) report(SearchProgress::Kind::TimeCheck, 0);
    return spent;
}

// ---------------------------------------------------------------- the root driver
void Searcher::prepareSearch(int side)
{
    engineSide = side;
    clearOrdering();
    nodeCount = 0;
    nodeCountdown = timeCheckInterval;
    searchAge = searchAge + 1 >= 127 ? 0 : searchAge + 1;
    stopRequested.store(false, std::memory_order_relaxed);
    // The budget counts from here, so that the pre-search never measures an old start.
    budgetStart = searchStart = lastReading = searchClock();
    pvText.reserve(pvTextCapacity);
    prepareRoot(side);
}

void Searcher::prepareRoot(int side)
{
    plyState[1].materialBalance = materialScore(side);
    plyState[1].positionKey = hashPosition(side);
    plyState[1].hashMove = 0; // no stale move raises a root capture
    int n = generateCaptures(side, 1);
    moveSeparator = ':';
    if (n == 0) {
        n = generateQuietMoves(side, 1);
        moveSeparator = '-';
    }
    scoreRootMoves(side, preSearchDepth);
    // A library candidate names its move by its place in generation order.
    if (!bookCandidateCountHook || bookCandidateCountHook() == 0) sortRootMoves();
}

void Searcher::scoreRootMoves(int side, int depth)
{
    MoveList& list = moveLists[1];
    for (int k = 1; k <= list.count; ++k) {
        makeMove(list.moves[k], list.captured[k], side, 1);
        plyState[1].extensionCredit = (list.moves[k] & captureFlag) ? captureCredit : 0;
        list.scores[k] = -alphaBeta(-infiniteScore, infiniteScore, depth, 2, side ^ 1);
        unmakeMove(1);
    }
}

void Searcher::sortRootMoves()
{
    MoveList& list = moveLists[1];
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int k = 1; k < list.count; ++k)
            if (list.scores[k] < list.scores[k + 1]) {
                std::swap(list.moves[k], list.moves[k + 1]);
                std::swap(list.captured[k], list.captured[k + 1]);
                std::swap(list.scores[k], list.scores[k + 1]);
                swapped = true;
            }
    }
}

void Searcher::moveToFront(int index)
{
    MoveList& list = moveLists[1];
    const MoveCode move = list.moves[index];
    const SquareSet captured = list.captured[index];
    for (int k = index; k > 1; --k) {
        list.moves[k] = list.moves[k - 1];
        list.captured[k] = list.captured[k - 1];
    }
    list.moves[1] = move;
    list.captured[1] = captured;
}

int Searcher::rootSearch(int alpha, int beta, int depth, int side)
{
    pvLast[1] = 1; // until a move raises alpha: the first move of the previous line
    bool pvFound = false;
    plyState[1].positionKey = hashPosition(side);
    const MoveList& list = moveLists[1];
    // In a shared search the root too leaves the moves other threads are searching
    // for a second round, as alphaBeta does.
    int deferred = 0, resumed = 0;
    for (int next = 1;;) {
        int k;
        if (next <= list.count) k = next++;
        else if (resumed < deferred) k = deferredMoves[1][resumed++];
        else break;
        const MoveCode move = list.moves[k];
        std::uint32_t claim = 0;
        if (shared) {
            claim = moveClaim(plyState[1].positionKey, move);
            if (leftForLater(1, k, claim, k > 1 && resumed == 0, deferred)) continue;
        }
        makeMove(move, list.captured[k], side, 1);
        plyState[1].extensionCredit = (move & captureFlag) ? captureCredit : 0;
        const int score = searchRootMove(alpha, beta, depth, side, pvFound);
        unmakeMove(1);
        if (claim) releaseClaim(claim);
        if (stopRequested.load(std::memory_order_relaxed)) return alpha; // this move's score is not to be trusted
        if (score <= alpha) continue;
        moveToFront(k);
        // The entries before k have moved one place on, those left for later among them.
        for (int d = resumed; d < deferred; ++d)
            if (deferredMoves[1][d] < k) ++deferredMoves[1][d];
        if (score >= beta) {
            recordCutoff(side, list.moves[1], 1, depth);
            // The line shown must name the move that now leads the list.
            pvTable[1][0] = move;
            pvLast[1] = 1;
            return score;
        }
        alpha = score;
        pvFound = true;
        const std::uint32_t previous = pvTable[1][0];
        adoptChildLine(1, move);
        if (move != previous) reportNewBestMove(alpha);
    }
    return alpha;
}

void Searcher::setWindow(int low, int high, bool afterFailHigh, bool afterFailLow)
{
    windowLow = low;
    windowHigh = high;
    failedHigh = afterFailHigh;
    failedLow = afterFailLow;
}

bool Searcher::depthComplete(int score)
{
    if (score <= windowLow) {
        // A fail low after a fail high: the score is unstable, search it whole.
        if (failedHigh) setFullWindow();
        else setWindow(-infiniteScore, score, false, true);
        return false;
    }
    if (score >= windowHigh) {
        if (failedLow) setFullWindow();
        else setWindow(score, infiniteScore, true, false);
        return false;
    }
    return true;
}

void Searcher::windowForNextDepth(int score)
{
    if (score >= fullWindowScore || score <= -fullWindowScore) setFullWindow();
    else setWindow(score - aspirationMargin, score + aspirationMargin, false, false);
}

// One depth of the loop, re-searched until the aspiration window holds the score;
// false when the loop is to end.
bool Searcher::searchDepth(int depth)
{
    for (;;) {
        if (shared && !helper) mainRootSearchStarts(depth, windowLow, windowHigh);
        const int score = rootSearch(windowLow, windowHigh, depth, engineSide);
        if (stopRequested.load(std::memory_order_relaxed)) return false;
        // A win or loss within reach of this depth: deeper search cannot change it.
        const bool decided = score + 2 * depth > infiniteScore || score - 2 * depth < -infiniteScore;
        if (!helper) {
            lastReading = searchClock();
            rootScore = score;
            rebuildPvText();
            if (decided) stopRequested.store(true, std::memory_order_relaxed);
            if (searchReporter) report(SearchProgress::Kind::Iteration, score);
        } else if (decided) {
            return false;
        }
        const bool settled = depthComplete(score);
        if (settled && !helper) mainDepthCompleted(depth);
        if (searchReporter && (settled || decided)) searchReporter->iterationCompleted(depth, score);
        if (settled) {
            windowForNextDepth(score);
            return true;
        }
    }
}

void Searcher::depthLoop()
{
    searchStart = searchClock();
    setFullWindow();
    for (int depth = firstIterationDepth; depth <= maxIterationDepth; ++depth) {
        depthShown = depth;
        if (!searchDepth(depth)) return;
    }
}

void Searcher::helperDepthLoop()
{
    // The helper searches what the main search searches, the same depth in the same
    // window, so that the two split the work of the same nodes; done before the main
    // search, it goes on to the next depth alone, until the main search stops it to
    // join a root search of its own.
    int depth = 0;
    const auto join = [&](RootTask task) {
        setWindow(task.low, task.high, false, false);
        depth = task.depth;
    };
    join(mainRootTask());
    while (depth <= maxIterationDepth) {
        depthShown = depth;
        // Published before the main search's task is read again: the main search
        // publishes its task before it reads this, so that one sees the other.
        publishHelperTask(*this, {depth, windowLow, windowHigh});
        if (const RootTask now = mainRootTask(); helperBehind({depth, windowLow, windowHigh}, now)) {
            join(now);
            continue;
        }
        const int score = rootSearch(windowLow, windowHigh, depth, engineSide);
        if (stopRequested.load()) {
            // Dismissed, or left behind by the main search: then on to its task. The
            // dismissal's flag is set before its stop, so that it is seen here.
            if (dismissed.load()) return;
            stopRequested.store(false);
            if (dismissed.load()) return;
            join(mainRootTask());
            continue;
        }
        // A win or loss within reach: nothing deeper to help with.
        if (score + 2 * depth > infiniteScore || score - 2 * depth < -infiniteScore) return;
        if (depthComplete(score)) {
            windowForNextDepth(score);
            ++depth;
        }
    }
}

void Searcher::iterativeDeepening()
{
    // Helpers search while this thread does; all stop when it returns.
    const int helpers = std::clamp(threads, 1, maxSearchThreads) - 1;
    const bool parallel = helpers > 0 && moveLists[1].count > 1 && startHelperThreads(*this, helpers);
    shared = parallel;
    depthLoop();
    if (parallel) stopHelperThreads();
    shared = false;
}
