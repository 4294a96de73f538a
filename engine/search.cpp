// Principal-variation alpha-beta with quiescence, and the root driver: pre-search,
// iterative deepening with aspiration windows, the time check and the reports.
#include "engine/search.h"

#include <chrono>

#include "engine/egtb.h"

bool stopRequested = false;
std::int32_t nodeCountdown = 200000;
int engineSide = Black;
std::int32_t timeBudget = 200;
char moveSeparator = '-';
std::string pvText;
int depthShown = 0;
bool extendedDraw = false;

SearchReporter* searchReporter = nullptr;
int (*bookCandidateCountHook)() = nullptr;

static double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
double (*searchClock)() = steadySeconds;

std::uint32_t pvTable[maxPly + 1][66];
int pvLast[maxPly + 1];
std::int32_t nodeCount = 0;
double budgetStart = 0;
double searchStart = 0;
double lastReading = 0;
int windowLow = -5000, windowHigh = 5000;
bool failedHigh = false, failedLow = false;
int rootScore = 0;
int maxIterationDepth = lastIterationDepth;

namespace {

constexpr std::int32_t timeCheckInterval = 200000;

void report(InfoField field, const std::string& text)
{
    if (searchReporter) searchReporter->setInfoField(field, text);
}

void pump()
{
    if (searchReporter) searchReporter->pumpMessages();
}

void showVariation()
{
    if (searchReporter) searchReporter->ShowVariation(engineSide == Black ? " ...  " + pvText : pvText);
}

// Thousands of moves per second since the depth loop began, when any time has passed.
void reportSpeed(const char* unit)
{
    const double ms = (lastReading - searchStart) * 1000.0;
    if (ms > 0) report(InfoField::Label8, std::to_string(static_cast<long long>(nodeCount / ms)) + unit);
}

// Copies the line found below ply into the row of ply, after its first move.
inline void copyLine(int ply, MoveCode move)
{
    pvTable[ply][0] = move;
    const int count = pvLast[ply + 1] - ply;
    for (int c = 0; c < count; ++c) pvTable[ply][c + 1] = pvTable[ply + 1][c];
    pvLast[ply] = pvLast[ply + 1];
}

// The bitbase verdict of the side to move when it is the stronger or equal side, plus
// a small material correction; false when no probe applies.
inline bool probeBitbase(int side, int& value)
{
    if (!bitbaseLoaded || popCount(occupied) > EGTBPieses || !whitePieces || !blackPieces) return false;
    const int ownKings = popCount(side == White ? whiteKings : blackKings);
    const int oppKings = popCount(side == White ? blackKings : whiteKings);
    const int ownMen = popCount(side == White ? whiteMen : blackMen);
    const int oppMen = popCount(side == White ? blackMen : whiteMen);
    if (!(ownKings > oppKings || (ownKings == oppKings && ownMen >= oppMen))) return false;
    if (side == Black) SwapSides();
    value = ProbeBitbase() + (ownMen - oppMen) + 3 * (ownKings - oppKings);
    if (side == Black) SwapSides();
    return true;
}

inline bool hasPieces(int side) { return (side == White ? whitePieces : blackPieces) != 0; }

} // namespace

const char* infoFieldCaption(InfoField field)
{
    switch (field) {
    case InfoField::Label1: return "Глубина расчёта:";
    case InfoField::Label6: return "Лучший ход:";
    case InfoField::Label7: return "Оценка:";
    case InfoField::Label8: return "Скорость:";
    case InfoField::Label12: return "Запросов в ЭБ:";
    case InfoField::Label14: return "Обработано:";
    case InfoField::Label9: return "Время анализа:";
    }
    return "";
}

std::int64_t movesMade() { return static_cast<std::int64_t>(nodeCount) + (timeCheckInterval - nodeCountdown); }

std::string processedText(std::int32_t count)
{
    return std::to_string(count / 1000000) + "." + std::to_string((count % 1000000) / 10000) + " млн.";
}

std::string principalVariationText(bool skipEmpty)
{
    std::string text;
    for (int c = 0; c <= pvLast[1] - 1; ++c) {
        const MoveCode m = static_cast<MoveCode>(pvTable[1][c]);
        if (skipEmpty && !m) continue;
        text += moveText(m);
        text += ' ';
    }
    return text;
}

int quiescence(int alpha, int beta, int ply, int side)
{
    pvLast[ply] = ply - 1;
    if (!hasPieces(side)) return ply - 5000;
    if (alpha > 5000 - ply) return alpha;
    if (ply >= 63) return evaluate(side);
    // The ordering state is reset as in the main search, so that the order of moves
    // does not depend on the node that used this ply before.
    PlyState& state = plyState[ply];
    state.sortPending = 1;
    state.hashMove = 0;
    state.bestMove = 0;
    state.hashBound = 0;
    int n = generateCaptures(side, ply);
    if (n == 0) {
        int value;
        if (probeBitbase(side, value)) return value;
        const int standPat = evaluate(side);
        if (standPat > alpha) {
            if (standPat >= beta) return standPat;
            alpha = standPat;
        }
        n = generateAdvancedManMoves(side, ply);
        if (n == 0) return alpha;
    }
    state.movesLeft = n;
    const MoveList& list = moveLists[ply];
    for (int i; (i = pickNextMove(ply)) != 0;) {
        const MoveCode move = list.moves[i];
        makeMove(move, list.captured[i], side, ply);
        const int score = -quiescence(-beta, -alpha, ply + 1, side ^ 1);
        unmakeMove(ply);
        if (score > alpha) {
            if (score >= beta) return score;
            state.bestMove = move;
            alpha = score;
            copyLine(ply, move);
        }
    }
    return alpha;
}

int alphaBeta(int alpha, int beta, int depth, int ply, int side)
{
    pvLast[ply] = ply - 1;
    if (alpha > 5000 - ply) return alpha;
    if (!hasPieces(side)) return ply - 5000;
    if (ply >= 63) return evaluate(side);
    if (nodeCountdown <= 0 && checkTime()) stopRequested = true;
    if (stopRequested) return beta;

    PlyState& state = plyState[ply];
    state.sortPending = 1;
    state.hashMove = 0;
    state.bestMove = 0;
    state.hashBound = 0;

    if (depth > 2) {
        const int score = probeHash(side, depth, ply);
        if (state.hashBound == boundUpper && score <= alpha) return score;
        if (state.hashBound == boundLower && score >= beta) return score;
        if (state.hashBound == boundExact && beta - alpha == 1) {
            pvTable[ply][0] = state.hashMove;
            pvLast[ply] = ply;
            return score;
        }
    }
    {
        int value;
        if (probeBitbase(side, value)) return value;
    }

    const int material = state.materialBalance;
    const int pieces = popCount(occupied);
    MoveList& list = moveLists[ply];
    int n = generateCaptures(side, ply);
    const bool quiet = n == 0;
    if (quiet) {
        n = generateQuietMoves(side, ply);
        if (n == 0) return ply - 5000;
    }

    // Enhanced transposition cutoff: a child already known to refute this node.
    if (quiet && depth > 4) {
        for (int i = 1; i <= n; ++i) {
            keyAfterQuietMove(list.moves[i], side, ply);
            const HashPeek e = peekHash(plyState[ply + 1].positionKey, side ^ 1);
            if (!e.bound) continue;
            if (e.depth >= depth - 1) {
                if ((e.bound == boundUpper || e.bound == boundExact) && -e.score >= beta) return -e.score;
            } else if (e.bound == boundUpper) {
                list.scores[i] += 1000;
            }
        }
    }

    state.movesLeft = n;
    bool pvFound = false;
    int bound = boundUpper;
    int adjust = 0;
    for (int i; (i = pickNextMove(ply)) != 0;) {
        const MoveCode move = list.moves[i];
        const bool capture = move & captureFlag;
        makeMove(move, list.captured[i], side, ply);

        // Every second capture along a line buys one ply.
        adjust = 0;
        state.extensionCredit = plyState[ply - 1].extensionCredit + (capture ? 5 : 0);
        if (state.extensionCredit >= 10) {
            state.extensionCredit -= 10;
            adjust = 1;
        }
        // Quiet moves in a null window far above the material are searched shallower.
        if (adjust == 0 && alpha >= material + 50 && pieces > 10 && beta - alpha == 1 && alpha < 1000 &&
            alpha > -1000 && !capture)
            adjust = alpha >= material + 300 ? -3 : alpha >= material + 150 ? -2 : -1;

        const int newDepth = depth + adjust - 1;
        int score;
        if (newDepth <= 0) {
            score = -quiescence(-beta, -alpha, ply + 1, side ^ 1);
        } else if (pvFound) {
            score = -alphaBeta(-alpha - 1, -alpha, newDepth, ply + 1, side ^ 1);
            if (score > alpha && score < beta) score = -alphaBeta(-beta, -alpha, newDepth, ply + 1, side ^ 1);
        } else {
            score = -alphaBeta(-beta, -alpha, newDepth, ply + 1, side ^ 1);
        }
        unmakeMove(ply);

        if (score <= alpha || stopRequested) continue;
        if (score >= beta) {
            if (depth > 2) storeHash(side, depth + adjust, ply, score, boundLower, move);
            recordCutoff(side, move, ply, depth);
            return score;
        }
        state.bestMove = move;
        copyLine(ply, move);
        alpha = score;
        bound = boundExact;
        pvFound = true;
    }
    if (depth > 2) storeHash(side, depth + adjust, ply, alpha, bound, static_cast<MoveCode>(state.bestMove));
    return alpha;
}

void prepareSearch(int side)
{
    budgetStart = searchClock();
    clearOrdering();
    nodeCount = 0;
    nodeCountdown = timeCheckInterval;
    searchAge = searchAge + 1 >= 127 ? 0 : searchAge + 1;
    stopRequested = false;
    prepareRoot(side);
}

void prepareRoot(int side)
{
    PlyState& root = plyState[1];
    root.materialBalance = materialScore(side);
    root.positionKey = hashPosition(side);
    root.hashMove = 0;
    MoveList& list = moveLists[1];
    int n = generateCaptures(side, 1);
    moveSeparator = ':';
    if (n == 0) {
        n = generateQuietMoves(side, 1);
        moveSeparator = '-';
    }
    for (int k = 1; k <= n; ++k) {
        makeMove(list.moves[k], list.captured[k], side, 1);
        root.extensionCredit = (list.moves[k] & captureFlag) ? 5 : 0;
        list.scores[k] = -alphaBeta(-5000, 5000, 5, 2, side ^ 1);
        unmakeMove(1);
    }
    if (bookCandidateCountHook && bookCandidateCountHook() > 0) return;
    // A stable exchange sort, best first: equal scores keep generation order.
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int k = 1; k < n; ++k)
            if (list.scores[k] < list.scores[k + 1]) {
                std::swap(list.moves[k], list.moves[k + 1]);
                std::swap(list.captured[k], list.captured[k + 1]);
                std::swap(list.scores[k], list.scores[k + 1]);
                swapped = true;
            }
    }
}

void moveToFront(int index)
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

namespace {

// The root move's score from the distance tables, when they know the position.
bool rootBitbaseScore(int side, int& score)
{
    if (!bitbaseLoaded || popCount(occupied) > EGTBPieses || !whitePieces || !blackPieces) return false;
    if (side == Black) SwapSides();
    const int f = ProbeExact();
    if (side == Black) SwapSides();
    if (f == probeUnavailable) return false;
    if (f == 255) score = 4999;
    else if (f > 0) score = 5000 - 2 * f;
    else if (f < 0) score = -5000 - 2 * f;
    else if (extendedDraw) {
        const int v = popCount(whiteMen) - popCount(blackMen) + 5 * (popCount(whiteKings) - popCount(blackKings));
        score = side == White ? v : -v;
    } else {
        score = 0;
    }
    return true;
}

void reportNewBestMove(int alpha)
{
    pvText = principalVariationText(false);
    report(InfoField::Label1, std::to_string(depthShown));
    if (lastReading != searchStart) reportSpeed(" тыс. поз/с");
    report(InfoField::Label7, scoreText(alpha));
    report(InfoField::Label6, pvText.substr(0, 5));
    if (searchReporter && searchReporter->variationItemChecked()) showVariation();
    pump();
}

} // namespace

int rootSearch(int alpha, int beta, int depth, int side)
{
    pvLast[1] = 1;
    bool pvFound = false;
    PlyState& root = plyState[1];
    root.positionKey = hashPosition(side);
    MoveList& list = moveLists[1];
    for (int k = 1; k <= list.count; ++k) {
        const MoveCode move = list.moves[k];
        makeMove(move, list.captured[k], side, 1);
        root.extensionCredit = (move & captureFlag) ? 5 : 0;
        int score;
        if (!rootBitbaseScore(side, score)) {
            if (pvFound) {
                score = -alphaBeta(-alpha - 1, -alpha, depth - 1, 2, side ^ 1);
                if (score > alpha && score < beta) score = -alphaBeta(-beta, -alpha, depth - 1, 2, side ^ 1);
            } else {
                score = -alphaBeta(-beta, -alpha, depth - 1, 2, side ^ 1);
            }
        }
        unmakeMove(1);
        if (stopRequested) return alpha;
        if (score <= alpha) continue;
        moveToFront(k);
        if (score >= beta) {
            recordCutoff(side, list.moves[1], 1, depth);
            return score;
        }
        alpha = score;
        pvFound = true;
        const MoveCode previous = static_cast<MoveCode>(pvTable[1][0]);
        copyLine(1, move);
        if (move != previous) reportNewBestMove(alpha);
    }
    return alpha;
}

bool checkTime()
{
    lastReading = searchClock();
    const bool spent = timeBudget <= (lastReading - budgetStart) * 100.0;
    nodeCountdown = timeCheckInterval;
    nodeCount += timeCheckInterval;
    report(InfoField::Label14, processedText(nodeCount));
    reportSpeed(" тыс./с");
    report(InfoField::Label12, std::to_string(bitbaseProbeCount));
    pump();
    return spent;
}

bool depthComplete(int score)
{
    if (score <= windowLow) {
        if (failedHigh) {
            failedHigh = failedLow = false;
            windowLow = -5000;
            windowHigh = 5000;
        } else {
            failedLow = true;
            windowLow = -5000;
            windowHigh = score;
        }
        return false;
    }
    if (score >= windowHigh) {
        if (failedLow) {
            failedHigh = failedLow = false;
            windowLow = -5000;
            windowHigh = 5000;
        } else {
            failedHigh = true;
            windowLow = score;
            windowHigh = 5000;
        }
        return false;
    }
    return true;
}

void windowForNextDepth(int score)
{
    if (score >= 2900 || score <= -2900) {
        windowLow = -5000;
        windowHigh = 5000;
    } else {
        windowLow = score - 35;
        windowHigh = score + 35;
    }
    failedHigh = failedLow = false;
}

void iterativeDeepening()
{
    searchStart = searchClock();
    windowLow = -5000;
    windowHigh = 5000;
    failedHigh = failedLow = false;
    for (int depth = firstIterationDepth; depth <= maxIterationDepth; ++depth) {
        depthShown = depth;
        int score;
        for (;;) {
            score = rootSearch(windowLow, windowHigh, depth, engineSide);
            if (stopRequested) return;
            lastReading = searchClock();
            rootScore = score;
            pvText = principalVariationText(true);
            report(InfoField::Label1, std::to_string(depthShown));
            if (lastReading != searchStart) reportSpeed(" тыс. поз/с");
            report(InfoField::Label7, scoreText(score));
            // A win or loss within reach of this depth ends the search.
            if (score + 2 * depth > 5000 || score - 2 * depth < -5000) stopRequested = true;
            report(InfoField::Label6, pvText.substr(0, 5));
            report(InfoField::Label12, std::to_string(bitbaseProbeCount));
            showVariation();
            if (searchReporter) searchReporter->iterationCompleted(depth, score);
            pump();
            if (depthComplete(score)) break;
        }
        windowForNextDepth(score);
    }
}
