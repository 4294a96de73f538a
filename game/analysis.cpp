#include "game/analysis.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "game/control.h"
#include "game/controller.h"
#include "game/notation.h"

const char* const noMovesToAnalyseMessage = "В партии нет ходов для анализа.";
bool analysisRunning = false;

namespace {

// By position index, as the last analysis left them.
std::vector<std::optional<PositionVerdict>> verdicts;

int fromSide(int side, int score) { return side == White ? score : -score; }

BoardPosition positionAfter(Searcher& searcher, MoveCode move, SquareSet captured, int side)
{
    searcher.makeMove(move, captured, side, 1);
    const BoardPosition after{searcher.whiteMen, searcher.whiteKings, searcher.blackMen, searcher.blackKings, 1 - side};
    searcher.unmakeMove(1);
    return after;
}

// Runs the searches on a searcher of its own, so that the game's search, its position
// and settings stay as they are; as the search's reporter it hands every pump to the
// observer.
class AnalysisRun : public SearchReporter {
public:
    AnalysisRun(const std::vector<BoardPosition>& positions, const AnalysisLimits& limits, AnalysisObserver& observer)
        : positions_(positions), limits_(limits), observer_(observer), searcher_(std::make_unique<Searcher>())
    {
        searcher_->timeBudget = limits_.budget;
        searcher_->maxIterationDepth = limits_.depth;
        searcher_->threads = limits_.threads;
        searcher_->searchReporter = this;
        // No library: its candidates are those of the game position, not of the one searched.
    }

    bool run()
    {
        start_ = searchClock();
        for (std::size_t k = 0; k < positions_.size(); ++k) {
            if (!askToGoOn() || !analyse(k)) return false;
            ++analysed_;
            if (k == 0) continue;
            if (const auto result = halfMoveResult(positions_, k)) observer_.halfMoveDone(static_cast<int>(k), *result);
        }
        return true;
    }

    void pumpMessages() override
    {
        if (!askToGoOn()) searcher_->stopRequested = true;
    }

private:
    const std::vector<BoardPosition>& positions_;
    AnalysisLimits limits_;
    AnalysisObserver& observer_;
    std::unique_ptr<Searcher> searcher_; // some 700 KB: not on the stack
    double start_ = 0;
    int analysed_ = 0; // positions with their verdict
    bool stopped_ = false;

    // Half-moves with their result: each needs the position after it.
    int done() const { return std::max(0, analysed_ - 1); }
    int total() const { return static_cast<int>(positions_.size()) - 1; }

    // At the pace so far, or at the budget before the first position is done; an
    // estimate beyond what an int holds (no time limit) is held at its largest.
    int secondsLeft() const
    {
        const double each = analysed_ > 0 ? (searchClock() - start_) / analysed_ : limits_.budget / 100.0;
        const int left = static_cast<int>(positions_.size()) - analysed_;
        const double seconds = std::clamp(each * left + 0.5, 0.0, static_cast<double>(std::numeric_limits<int>::max()));
        return static_cast<int>(seconds);
    }

    bool askToGoOn()
    {
        if (!stopped_ && !observer_.keepGoing(done(), total(), secondsLeft())) stopped_ = true;
        return !stopped_;
    }

    bool analyse(std::size_t k)
    {
        const BoardPosition& p = positions_[k];
        PositionVerdict verdict;
        verdict.position = p;
        const std::optional<int> score = searchScore(p, verdict);
        if (!score) return false;
        verdict.score = fromSide(p.side, *score);
        if (verdicts.size() < positions_.size()) {
            verdicts.resize(positions_.size());
            provideHalfMoveMarks(gameRecordMarks); // the notation can show marks from now on
        }
        verdicts[k] = verdict;
        return true;
    }

    void prepare(const BoardPosition& p)
    {
        clearHash();
        Searcher& s = *searcher_;
        setBoardPosition(s, p);
        s.prepareSearch(p.side);
    }

    // The score of the position for its side to move, and its moves and best move into
    // the verdict; nothing when the analysis stopped meanwhile. The depth loop is for a
    // choice among moves (the engine plays a single move without it), so a forced move
    // is followed and the position is worth what comes after it.
    std::optional<int> searchScore(const BoardPosition& p, PositionVerdict& verdict)
    {
        BoardPosition at = p;
        prepare(at);
        Searcher& s = *searcher_;
        const MoveList& root = s.moveLists[1];
        verdict.legalMoves = root.count;
        int forced = 0;
        for (; root.count == 1 && forced < deepestPly; ++forced) {
            const BoardPosition next = positionAfter(s, root.moves[1], root.captured[1], at.side);
            if (forced == 0) {
                verdict.bestMove = moveText(root.moves[1]);
                verdict.afterBest = next;
            }
            at = next;
            prepare(at);
        }
        // Without a move the side to move has lost, as the search scores it at the root;
        // forced moves without end go round in a repetition.
        int score = root.count == 0 ? 1 - infiniteScore : 0;
        if (root.count > 1) {
            // A search stopped before its first iteration ends keeps the pre-search's score.
            s.rootScore = root.scores[1];
            s.iterativeDeepening();
            score = s.rootScore;
            if (forced == 0) {
                verdict.bestMove = moveText(root.moves[1]);
                verdict.afterBest = positionAfter(s, root.moves[1], root.captured[1], at.side);
            }
        }
        if (stopped_) return std::nullopt;
        if (forced % 2 == 1) score = -score;
        // A win's distance counts from the position analysed.
        if (score > decidedScore) score -= forced;
        if (score < -decidedScore) score += forced;
        return score;
    }
};

} // namespace

const char* markText(MoveMark mark)
{
    switch (mark) {
    case MoveMark::None: return "";
    case MoveMark::Dubious: return "?!";
    case MoveMark::Mistake: return "?";
    case MoveMark::Blunder: return "??";
    }
    return "";
}

MoveMark markOf(const PositionVerdict& before, const PositionVerdict& after, const PositionVerdict* earlier)
{
    if (before.legalMoves <= 1 || before.afterBest == after.position) return MoveMark::None;
    const int mover = before.position.side;
    const int best = fromSide(mover, before.score);
    const int played = fromSide(mover, after.score);
    const bool lostEarlier =
        earlier && earlier->afterBest == before.position && fromSide(mover, earlier->score) <= -settledScore;
    if (best <= -settledScore || lostEarlier) return MoveMark::None;
    if (best >= settledScore) return played >= settledScore ? MoveMark::None : MoveMark::Blunder;
    const int loss = best - played;
    if (loss >= blunderLoss) return MoveMark::Blunder;
    if (loss >= mistakeLoss) return MoveMark::Mistake;
    if (loss >= dubiousLoss) return MoveMark::Dubious;
    return MoveMark::None;
}

std::vector<BoardPosition> recordPositions(const GameRecord& record, int firstSide)
{
    std::vector<BoardPosition> positions;
    const int limit = std::min<int>(record.redoLimit, recordCapacity);
    for (int n = 1; n <= limit; ++n) {
        const RecordEntry& e = record.entries[n];
        const int side = (n - 1) % 2 == 0 ? firstSide : 1 - firstSide;
        positions.push_back({e.whiteMen, e.whiteKings, e.blackMen, e.blackKings, side});
    }
    return positions;
}

std::vector<BoardPosition> gamePositions(const PdnGame& game)
{
    std::vector<BoardPosition> positions{game.start};
    positions.insert(positions.end(), game.positions.begin(), game.positions.end());
    return positions;
}

const PositionVerdict* verdictFor(const std::vector<BoardPosition>& positions, std::size_t k)
{
    if (k >= positions.size() || k >= verdicts.size() || !verdicts[k]) return nullptr;
    return verdicts[k]->position == positions[k] ? &*verdicts[k] : nullptr;
}

std::optional<HalfMoveResult> halfMoveResult(const std::vector<BoardPosition>& positions, std::size_t k)
{
    if (k == 0) return std::nullopt;
    const PositionVerdict* before = verdictFor(positions, k - 1);
    const PositionVerdict* after = verdictFor(positions, k);
    if (!before || !after) return std::nullopt;
    const PositionVerdict* earlier = k >= 2 ? verdictFor(positions, k - 2) : nullptr;
    return HalfMoveResult{before->score, before->bestMove, after->score, markOf(*before, *after, earlier)};
}

void clearAnalysis() { verdicts.clear(); }

bool analysePositions(const std::vector<BoardPosition>& positions, const AnalysisLimits& limits,
                      AnalysisObserver& observer)
{
    return AnalysisRun(positions, limits, observer).run();
}

// ---------------------------------------------------------------- the windows

namespace {

const GameControl& gc = gameControl;

int firstSideOfGame() { return firstSideOfRecord(gameRecord, sideToMove); }

} // namespace

bool AnalysisAllowed() { return !gc.thinking && !EngineTurnRunning() && !analysisRunning && gc.mode != Setup; }

std::vector<std::string> gameRecordMarks()
{
    if (verdicts.empty()) return {};
    const std::vector<BoardPosition> positions = recordPositions(gameRecord, firstSideOfGame());
    std::vector<std::string> marks(positions.size() + 1); // by entry, 1 the start
    bool any = false;
    for (std::size_t k = 1; k < positions.size(); ++k) {
        const auto result = halfMoveResult(positions, k);
        if (!result || result->mark == MoveMark::None) continue;
        marks[k + 1] = markText(result->mark);
        any = true;
    }
    return any ? marks : std::vector<std::string>{};
}

EvaluationGraph evaluationGraph()
{
    EvaluationGraph graph;
    const std::vector<BoardPosition> positions = recordPositions(gameRecord, firstSideOfGame());
    for (std::size_t k = 0; k < positions.size(); ++k) {
        const PositionVerdict* verdict = verdictFor(positions, k);
        if (verdict) graph.scores.push_back(std::clamp(verdict->score, -graphScoreLimit, graphScoreLimit));
        else graph.scores.push_back(std::nullopt);
        const auto result = halfMoveResult(positions, k);
        graph.marks.push_back(result ? result->mark : MoveMark::None);
    }
    graph.current = gameRecord.plyNumber - 1;
    return graph;
}

void GoToPosition(int k)
{
    if (navigationAllowed() && !analysisRunning) GoToPly(k + 1);
}

// ---------------------------------------------------------------- PDN

std::string scoreComment(int whiteScore)
{
    const int size = std::abs(whiteScore);
    if (size > decidedScore) return (whiteScore > 0 ? "#" : "#-") + std::to_string((infiniteScore - size) / 2);
    char text[24];
    std::snprintf(text, sizeof text, "%s%d.%02d", whiteScore > 0 ? "+" : whiteScore < 0 ? "-" : "", size / 100,
                  size % 100);
    return text;
}

namespace {
// PDN writes captures with "x".
std::string pdnMove(std::string move)
{
    std::replace(move.begin(), move.end(), ':', 'x');
    return move;
}
} // namespace

void annotatePdnGame(PdnGame& game)
{
    const std::vector<BoardPosition> positions = gamePositions(game);
    game.marks.assign(game.positions.size(), {});
    game.comments.assign(game.positions.size(), {});
    for (std::size_t k = 1; k < positions.size(); ++k) {
        const PositionVerdict* after = verdictFor(positions, k);
        if (!after) continue;
        std::string comment = scoreComment(after->score);
        const auto result = halfMoveResult(positions, k);
        if (result && result->mark != MoveMark::None) {
            game.marks[k - 1] = markText(result->mark);
            comment += " лучше " + pdnMove(result->bestMove) + " " + scoreComment(result->scoreBefore);
        }
        game.comments[k - 1] = comment;
    }
}

PdnGame analysedPdnGame(const PdnGame& game, const AnalysisLimits& limits, AnalysisObserver& observer)
{
    clearAnalysis();
    analysePositions(gamePositions(game), limits, observer);
    PdnGame annotated = game;
    annotatePdnGame(annotated);
    return annotated;
}
