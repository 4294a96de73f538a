#include "game/combinations.h"

#include <algorithm>
#include <memory>

#include "engine/egtb.h"
#include "engine/search.h"
#include "game/control.h"

namespace {

// ---------------------------------------------------------------- the engine
// Every call into the engine's search is in this section.

// The tables of the endgames stay out of the finder's searches, which would make the
// answer depend on the tables a machine has (the finder consults them where a line
// ends); put back however the search ends.
class TablesAside {
public:
    TablesAside() { bitbaseLoaded = false; }
    ~TablesAside() { bitbaseLoaded = loaded_; }
    TablesAside(const TablesAside&) = delete;
    TablesAside& operator=(const TablesAside&) = delete;

private:
    bool loaded_ = bitbaseLoaded;
};

// One position searched on a searcher of its own with fresh tables, so that the same
// question always gets the same answer and the game's search stays as it is. The root
// list is ordered by the depth-6 pre-search.
class PositionSearch {
public:
    explicit PositionSearch(const BoardPosition& p) : searcher_(std::make_unique<Searcher>()), side_(p.side)
    {
        Searcher& s = *searcher_;
        s.timeBudget = unlimitedTime;
        clearHash();
        setBoardPosition(s, p);
        s.prepareSearch(p.side);
    }

    int count() const { return searcher_->moveLists[1].count; }
    LegalMove move(int k) const { return {searcher_->moveLists[1].moves[k], searcher_->moveLists[1].captured[k]}; }

    // The move's score at the depth (the move the first ply) within the window.
    int score(const LegalMove& m, int depth, int alpha = -infiniteScore, int beta = infiniteScore)
    {
        Searcher& s = *searcher_;
        s.makeMove(m.code, m.captured, side_, 1);
        s.plyState[1].extensionCredit = (m.code & captureFlag) ? captureCredit : 0;
        const int result = -s.alphaBeta(-beta, -alpha, std::max(0, depth - 1), 2, side_ ^ 1);
        s.unmakeMove(1);
        return result;
    }

    // The engine's own choice at the depth, as its depth loop makes it.
    LegalMove best(int depth, int& score)
    {
        Searcher& s = *searcher_;
        s.maxIterationDepth = depth;
        s.rootScore = s.moveLists[1].scores[1];
        if (count() > 1) s.iterativeDeepening();
        score = s.rootScore;
        return move(1);
    }

private:
    static constexpr int captureCredit = 5; // as the root search gives a capture
    TablesAside tablesAside_;
    std::unique_ptr<Searcher> searcher_; // some 700 KB: not on the stack
    int side_;
};

} // namespace

std::vector<ScoredMove> scoreMoves(const BoardPosition& p, int depth)
{
    PositionSearch search(p);
    std::vector<ScoredMove> moves;
    for (const LegalMove& m : legalHalfMoves(p)) moves.push_back({m, search.score(m, depth)});
    std::stable_sort(moves.begin(), moves.end(), [](const ScoredMove& a, const ScoredMove& b) { return a.score > b.score; });
    return moves;
}

namespace {

// Whether the move alone wins: its score at the depth is at least `margin` above every
// other move's (each other move is tested with a null window just above that bound).
struct Alone {
    bool alone = false;
    int score = 0;
};
Alone onlyWinner(const BoardPosition& p, const LegalMove& key, int depth, int margin)
{
    PositionSearch search(p);
    Alone a;
    a.score = search.score(key, depth);
    const int bound = a.score - margin;
    for (const LegalMove& m : legalHalfMoves(p)) {
        if (m.code == key.code && m.captured == key.captured) continue;
        if (search.score(m, depth, bound, bound + 1) > bound) return a;
    }
    a.alone = true;
    return a;
}

// The engine's move at the depth and its score.
LegalMove engineChoice(const BoardPosition& p, int depth, int& score)
{
    PositionSearch search(p);
    return search.best(depth, score);
}

// The tables' verdict for the solver: won, when the tables cover the position and say so.
bool wonByTables(const BoardPosition& p, int solver)
{
    if (!bitbaseLoaded) return false;
    const int pieces = popCount(p.whiteMen | p.whiteKings | p.blackMen | p.blackKings);
    if (pieces > bitbasePieceLimit()) return false;
    if (p.side != solver) {
        // The defender is to move: won when every reply leads to a won position.
        const std::vector<LegalMove> replies = legalHalfMoves(p);
        for (const LegalMove& reply : replies)
            if (!wonByTables(positionAfterMove(p, reply), solver)) return false;
        return true;
    }
    // One searcher for every probe: it is large and only its position is used.
    static const auto probe = std::make_unique<Searcher>();
    Searcher& s = *probe;
    setBoardPosition(s, p);
    const int ownKings = popCount(solver == White ? s.whiteKings : s.blackKings);
    const int ownMen = popCount(solver == White ? s.whiteMen : s.blackMen);
    const int enemyKings = popCount(solver == White ? s.blackKings : s.whiteKings);
    const int enemyMen = popCount(solver == White ? s.blackMen : s.whiteMen);
    // The tables hold the stronger or equal side to move.
    if (ownKings < enemyKings || (ownKings == enemyKings && ownMen < enemyMen)) return false;
    if (solver == Black) s.SwapSides();
    return s.ProbeBitbase() > 0;
}

// ---------------------------------------------------------------- lines

constexpr int maxFreeReplies = 1;

bool hasCapture(const BoardPosition& p)
{
    const std::vector<LegalMove> moves = legalHalfMoves(p);
    return !moves.empty() && (moves.front().code & captureFlag);
}

struct LineEnd {
    bool reached = false;
    bool won = false; // the defender has no move, or the tables give the ending as won
    int gain = 0;     // material won, a man 100
};

// Whether the line may end in this position: quiet, and the solver either two men up
// on the start or winning outright.
LineEnd endOfLine(const BoardPosition& p, int solver, int startMaterial)
{
    LineEnd end;
    const std::vector<LegalMove> moves = legalHalfMoves(p);
    if (moves.empty()) {
        // The side to move has lost: a win for the solver only when it is the defender.
        end.reached = end.won = p.side != solver;
        return end;
    }
    if (moves.front().code & captureFlag) return end;
    end.gain = materialOf(p, solver) - startMaterial;
    end.won = end.gain < requiredGain && end.gain >= 0 && wonByTables(p, solver);
    end.reached = end.gain >= requiredGain || end.won;
    return end;
}

// The move to play in a line: the only one, else the engine's choice at the depth.
LegalMove lineMove(const BoardPosition& p, int depth)
{
    const std::vector<LegalMove> moves = legalHalfMoves(p);
    if (moves.size() == 1) return moves.front();
    int score = 0;
    return engineChoice(p, depth, score);
}

// A solver's move whose following reply leaves the solver with less than before it.
bool holdsSacrifice(const Puzzle& puzzle)
{
    const int solver = puzzle.solver();
    for (std::size_t k = 0; k + 2 <= puzzle.line.size(); ++k) {
        const BoardPosition& before = puzzle.before(k);
        if (before.side != solver) continue;
        if (materialOf(puzzle.positions[k + 1], solver) < materialOf(before, solver)) return true;
    }
    return false;
}

int solverMoveCount(const Puzzle& puzzle)
{
    int count = 0;
    for (std::size_t k = 0; k < puzzle.line.size(); ++k) count += puzzle.before(k).side == puzzle.solver();
    return count;
}

// The shallowest depth from which on the search at every depth up to the deep one
// puts the first move above all others.
int depthFound(const BoardPosition& p, const LegalMove& first, int deepest)
{
    int found = deepest;
    for (int depth = deepest - 1; depth >= 1 && onlyWinner(p, first, depth, 1).alone; --depth) found = depth;
    return found;
}

bool sameMove(const LegalMove& a, const LegalMove& b) { return a.code == b.code && a.captured == b.captured; }

// A score that wins at least 1.5 men on the board's material, or the game.
bool winningScore(const BoardPosition& p, int score)
{
    return score >= materialOf(p, p.side) + winningMargin || score > decidedScore;
}

// The first-move criteria for the move at the depth; empty when they hold, else why not.
std::string firstMoveRefusal(const BoardPosition& p, const LegalMove& first, int depth)
{
    const Alone verdict = onlyWinner(p, first, depth, winningMargin);
    if (!winningScore(p, verdict.score)) return "нет выигрыша";
    if (!verdict.alone) return "выигрывает не один ход";
    return {};
}

} // namespace

int materialOf(const BoardPosition& p, int side)
{
    const int white = 100 * popCount(p.whiteMen) + 300 * popCount(p.whiteKings);
    const int black = 100 * popCount(p.blackMen) + 300 * popCount(p.blackKings);
    return side == White ? white - black : black - white;
}

std::optional<std::vector<LegalMove>> combinationLine(const BoardPosition& from, int solver, int startMaterial,
                                                      int depth, int longestLine)
{
    std::vector<LegalMove> line;
    BoardPosition at = from;
    int freeReplies = 0;
    while (!endOfLine(at, solver, startMaterial).reached) {
        const std::vector<LegalMove> moves = legalHalfMoves(at);
        if (static_cast<int>(line.size()) >= longestLine || moves.empty()) return std::nullopt;
        // The line is forced: the defender's captures are compulsory, and a quiet reply
        // chosen among others is allowed once.
        const bool free = at.side != solver && moves.size() > 1 && !(moves.front().code & captureFlag);
        if (free && ++freeReplies > maxFreeReplies) return std::nullopt;
        // Deeper in the line the choices need less look-ahead: the line itself is seen.
        const LegalMove move = lineMove(at, std::max(depth - static_cast<int>(line.size()), 4));
        line.push_back(move);
        at = positionAfterMove(at, move);
    }
    return line;
}

FinderVerdict findCombination(const BoardPosition& p, const FinderLimits& limits)
{
    const std::vector<LegalMove> legal = legalHalfMoves(p);
    if (legal.empty()) return {std::nullopt, "нет ходов"};
    if (legal.front().code & captureFlag) return {std::nullopt, "есть взятие"};
    if (legal.size() == 1) return {std::nullopt, "единственный ход"};
    if (materialOf(p, p.side) > largestLead) return {std::nullopt, "игра уже выиграна"};
    // The quick look: the engine's own choice, winning.
    int quickScore = 0;
    const LegalMove first = engineChoice(p, limits.quickDepth, quickScore);
    if (!winningScore(p, quickScore)) return {std::nullopt, "нет выигрыша"};
    // Most candidates fail already at the quick depth, far more cheaply than deep down.
    if (std::string why = firstMoveRefusal(p, first, limits.quickDepth); !why.empty()) return {std::nullopt, why};
    if (std::string why = firstMoveRefusal(p, first, limits.depth); !why.empty()) return {std::nullopt, why + " при проверке"};

    Puzzle puzzle;
    puzzle.start = p;
    const BoardPosition afterFirst = positionAfterMove(p, first);
    const int startMaterial = materialOf(p, p.side);
    const auto rest = combinationLine(afterFirst, p.side, startMaterial, limits.depth - 1, limits.longestLine - 1);
    if (!rest) return {std::nullopt, "линия не кончается выигрышем"};
    puzzle.line.push_back(first);
    puzzle.line.insert(puzzle.line.end(), rest->begin(), rest->end());
    BoardPosition at = p;
    for (const LegalMove& m : puzzle.line) puzzle.positions.push_back(at = positionAfterMove(at, m));
    if (!holdsSacrifice(puzzle)) return {std::nullopt, "нет жертвы"};
    const LineEnd end = endOfLine(at, p.side, startMaterial);
    puzzle.wonEnding = end.won && end.gain < requiredGain;
    puzzle.gain = puzzle.wonEnding ? 0 : std::max(end.gain, 0) / 100;
    if (!puzzle.wonEnding && puzzle.gain < requiredGain / 100) return {std::nullopt, "выигрыш меньше двух шашек"};
    puzzle.solverMoves = solverMoveCount(puzzle);
    puzzle.findDepth = depthFound(p, first, limits.depth);
    return {puzzle, {}};
}

bool winsAsMuch(const BoardPosition& p, const LegalMove& move, const LegalMove& lineMove, int depth, int target)
{
    constexpr int allowance = 30; // the noise between the scores of equal moves
    int moveScore = 0, lineScore = 0;
    bool seenMove = false, seenLine = false;
    for (const ScoredMove& m : scoreMoves(p, depth)) {
        if (sameMove(m.move, move)) moveScore = m.score, seenMove = true;
        if (sameMove(m.move, lineMove)) lineScore = m.score, seenLine = true;
    }
    return seenMove && seenLine && (moveScore >= lineScore - allowance || moveScore >= target);
}

std::string checkPuzzle(const Puzzle& puzzle, int depth)
{
    const BoardPosition& p = puzzle.start;
    if (puzzle.line.empty()) return "нет решения";
    if (hasCapture(p)) return "у решающего есть взятие";
    if (legalHalfMoves(p).size() < 2) return "единственный ход";
    if (std::string why = firstMoveRefusal(p, puzzle.line.front(), depth); !why.empty()) return why;
    if (!holdsSacrifice(puzzle)) return "нет жертвы";
    const int startMaterial = materialOf(p, p.side);
    const BoardPosition& last = puzzle.positions.back();
    const LineEnd end = endOfLine(last, p.side, startMaterial);
    if (!end.reached) return "решение не кончается тихой выигранной позицией";
    if (puzzle.wonEnding ? !end.won : end.gain / 100 < puzzle.gain) return "выигрыш меньше указанного";
    // No earlier position of the line may already end it: the line is no longer than it must be.
    for (std::size_t k = 1; k < puzzle.line.size(); ++k)
        if (endOfLine(puzzle.before(k), p.side, startMaterial).reached) return "решение длиннее нужного";
    return {};
}
