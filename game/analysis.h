// Whole-game analysis: every position of a game searched with the same budget, giving
// for each half-move the score before it, the engine's best move there, the score after
// it and a mark when it gave away too much. The results stay tied to the positions they
// were computed for, so that a game that changes keeps them where it did not change.
//
// Each position's search starts with cleared transposition tables, as an engine turn
// does, so that each verdict is the one the engine gives playing from that position.
// Kept tables made neighbouring verdicts disagree more (a found win in one position, an
// ordinary score in the next), which the marks then read as mistakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/search.h"
#include "game/fen.h"
#include "game/pdn.h"
#include "game/record.h"

// ---------------------------------------------------------------- marks

// Scores are the engine's (a man is worth about 100). What a half-move loses is the
// score of the position before it (the engine's best move) less the score after it,
// both from the mover's view:
//   from 60: "?!"   more than half a man: beyond the noise between two searches at
//                   half a second a move, which reaches about 50
//   from 90: "?"    about a man given away (a man is 100 and its square's value)
//   from 250: "??"  two men or a king, or a won game let go
// The only legal move, and the move the engine itself chose, are never marked; nor is
// any move in a game already lost, or one that keeps a won game won.
enum class MoveMark : std::uint8_t { None, Dubious, Mistake, Blunder };
constexpr int dubiousLoss = 60;
constexpr int mistakeLoss = 90;
constexpr int blunderLoss = 250;
// From here a score is a settled game: a bitbase verdict (about 3000) or a found win
// (beyond decidedScore).
constexpr int settledScore = 2500;

const char* markText(MoveMark mark); // "", "?!", "?", "??"

// ---------------------------------------------------------------- results

// One searched position of a game.
struct PositionVerdict {
    BoardPosition position;
    int score = 0;            // from White's view
    int legalMoves = 0;       // 0: the side to move has lost
    std::string bestMove;     // as the record writes it, c3-d4 or c3:e5; empty without a move
    BoardPosition afterBest;  // the position the best move leads to
};

struct HalfMoveResult {
    int scoreBefore = 0;      // from White's view, the position the half-move was made in
    std::string bestMove;     // the engine's move there
    int scoreAfter = 0;       // from White's view, the position it reached
    MoveMark mark = MoveMark::None;
};

// The mark of the half-move from before to after. Earlier, when known, is the position
// the opponent moved from: a loss its search found along the engine's own move stands
// even when the search of before missed it (the move then spoils nothing).
MoveMark markOf(const PositionVerdict& before, const PositionVerdict& after, const PositionVerdict* earlier = nullptr);

// The positions of a game, its start first: the record's entries 1 to redoLimit (entry 1
// with firstSide to move), or a PDN game's start and positions.
std::vector<BoardPosition> recordPositions(const GameRecord& record, int firstSide);
std::vector<BoardPosition> gamePositions(const PdnGame& game);

// The last analysis's verdict on position k of a game (0 the start), when it was made
// for that very position; the result of half-move k (1 the first), when both of its
// positions have one.
const PositionVerdict* verdictFor(const std::vector<BoardPosition>& positions, std::size_t k);
std::optional<HalfMoveResult> halfMoveResult(const std::vector<BoardPosition>& positions, std::size_t k);
// Forgets every result.
void clearAnalysis();

// ---------------------------------------------------------------- running it

struct AnalysisLimits {
    std::int32_t budget = 100;        // hundredths of a second per position
    int depth = lastIterationDepth;   // the deepest iteration of each search
    int threads = 1;                  // the threads each search runs on
};

// Whoever watches an analysis: the windows or korvel-cli.
class AnalysisObserver {
public:
    virtual ~AnalysisObserver() = default;
    // Asked while a position is searched and between positions, with the half-moves
    // that have their result; false stops the analysis.
    virtual bool keepGoing(int /*done*/, int /*total*/, int /*secondsLeft*/) { return true; }
    // Half-move k (1 the first) has its result.
    virtual void halfMoveDone(int /*k*/, const HalfMoveResult& /*result*/) {}
};

// Searches the positions from the first to the last and keeps each verdict as it is
// made; a stop keeps those made before it. True when every position got its verdict.
// The searches run on a searcher of their own: the game's search, its position, flags
// and settings are not touched.
bool analysePositions(const std::vector<BoardPosition>& positions, const AnalysisLimits& limits,
                      AnalysisObserver& observer);

// ---------------------------------------------------------------- the windows

extern const char* const noMovesToAnalyseMessage; // "В партии нет ходов для анализа."

// Neither the engine (its turn or a hint) nor an analysis is running, and no position
// is being set up; the menu item is greyed out otherwise.
bool AnalysisAllowed();
// Set while the windows' analysis of the game record runs (the controller's
// AnalyseGameCommand).
extern bool analysisRunning;

// The marks of the game record for the notation, by entry (the half-move leading to
// it); empty when the game has none.
std::vector<std::string> gameRecordMarks();

// The graph: the score of each position of the game record, from White's view and cut
// to ±graphScoreLimit (wins and losses at the limit); the marks of the half-moves
// reaching them; the position on the board.
constexpr int graphScoreLimit = 500;
struct EvaluationGraph {
    std::vector<std::optional<int>> scores; // position 0 the start; one per record entry
    std::vector<MoveMark> marks;            // marks[0] is None
    int current = 0;                        // the position on the board
};
EvaluationGraph evaluationGraph();
// A click on the graph: the board goes to position k as the record's navigation goes.
void GoToPosition(int k);

// ---------------------------------------------------------------- PDN

// A score as a comment: men and hundredths from White's view ("+0.35", "-1.20",
// "0.00"), a found win as "#7" (White wins in 7 moves) or "#-7" (Black does).
std::string scoreComment(int whiteScore);
// The results for the game's positions as its marks and comments: every half-move with
// an analysed position after it gets its score; a marked one its mark and the move
// that was better.
void annotatePdnGame(PdnGame& game);
// korvel-cli's entry: analyses the game and returns it annotated.
PdnGame analysedPdnGame(const PdnGame& game, const AnalysisLimits& limits, AnalysisObserver& observer);
