// The search: alpha-beta below the root, the root driver, time control and reports.
//
// One engine move runs: prepareSearch (ordering tables, counters, age, stop flag and
// the root list with its depth-5 pre-search), then, when the list holds two or more
// moves and no library move is taken, iterativeDeepening. The move to play is always
// entry 1 of the root list (the move list of ply 1).
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"

// Set by the time check, by a found win or loss and by user commands; the search
// returns as soon as it sees it.
extern bool stopRequested;

// Values the game controller sets for the search or reads back from it.
extern int engineSide;            // the side the engine moves for
extern std::int32_t timeBudget;   // hundredths of a second; 2000000000 = unlimited
extern char moveSeparator;        // ':' when the root moves are captures, '-' otherwise
extern std::string pvText;        // the principal variation, moves followed by a blank
extern int depthShown;            // depth of the iteration in progress
extern bool extendedDraw;         // "Расширенная ничья": drawn bitbase root moves scored by material

constexpr std::int32_t unlimitedTime = 2000000000;

// ---------------------------------------------------------------- scores and limits
constexpr int infiniteScore = 5000;   // a side left without moves at ply p scores p - 5000
constexpr int deepestPly = 63;        // a node at this ply returns the static score
constexpr int firstIterationDepth = 7;
constexpr int lastIterationDepth = 63;
constexpr int preSearchDepth = 5;
constexpr int timeCheckInterval = 200000; // moves made between two clock readings
constexpr int aspirationMargin = 35;
constexpr int fullWindowScore = 2900; // from here on every depth starts with the full window

// ---------------------------------------------------------------- reports
// The information window's fields, named after its labels.
enum class InfoField { Label1, Label6, Label7, Label8, Label12, Label14, Label9 };
const char* infoFieldCaption(InfoField field); // "Глубина расчёта:" ...

// How the search talks to whoever shows it: the windows, korvel-cli, tests. Every
// call has a silent default. Texts are UTF-8.
class SearchReporter {
public:
    virtual ~SearchReporter() = default;
    virtual void setInfoField(InfoField, const std::string&) {}
    // The score field ("Оценка:"): its text as scoreText writes it, unless the
    // listener words it otherwise.
    virtual void showScore(int score) { setInfoField(InfoField::Label7, scoreText(score)); }
    // The principal variation window's whole text, " ...  " first when Black searches.
    virtual void ShowVariation(const std::string&) {}
    // Lets the windows handle what is queued; commands may set stopRequested here.
    virtual void pumpMessages() {}
    virtual bool variationItemChecked() const { return false; } // "Основной вариант"
    // After a root search of the depth loop that completes its depth, or that found a
    // win or loss and so ends the loop; pvText and the root list are up to date.
    virtual void iterationCompleted(int /*depth*/, int /*score*/) {}
};
// The active reporter; null: the search runs silent, builds no texts but pvText and
// allocates nothing.
extern SearchReporter* searchReporter;

// The opening library lives outside the engine: its candidate count for the current
// position, null counting 0. While candidates exist the root list keeps generation
// order, so that a candidate's index still names its move.
extern int (*bookCandidateCountHook)();

// Seconds on a monotonic clock; replaceable so that tests control time.
extern double (*searchClock)();
double steadySeconds();

// ---------------------------------------------------------------- state
// Row p: the best line from ply p, entry c being the move at ply p + c (low 16 bits).
extern std::uint32_t pvTable[maxPly + 1][66];
// The ply of the last move of row p's line; p - 1 means an empty line.
extern int pvLast[maxPly + 1];
// Moves made this engine move, in steps of 200000 by the time check. 64 bits: an
// analysis without a time limit passes 2^31 moves within minutes.
extern std::int64_t nodeCount;
extern double budgetStart;       // when the engine move's preparation began: the budget counts from here
extern double searchStart;       // when the depth loop began: the speed shown counts from here
extern double lastReading;
extern int windowLow, windowHigh; // the depth loop's aspiration window
extern bool failedHigh, failedLow;
extern int rootScore;            // score of the last completed root search, for the notation
extern int maxIterationDepth;    // the depth loop ends after this depth (63 in play)

// Moves made so far in this engine move, exactly (nodeCount lags by up to 200000).
std::int64_t movesMade();

// ---------------------------------------------------------------- operations
// Clears the ordering tables, resets the counters, advances searchAge, clears the stop
// flag, starts the move's clock, then prepareRoot; side becomes engineSide.
void prepareSearch(int side);
// Fills the root list (ply 1), scores every move by a depth-5 search and sorts it,
// unless the library has candidates.
void prepareRoot(int side);
// Every root move's exact score by a full-window search of the given depth below it.
void scoreRootMoves(int side, int depth);
// The root list ordered by its scores, highest first; equal scores keep their order.
void sortRootMoves();
// The depth loop for engineSide; on return entry 1 of the root list is the move to play.
void iterativeDeepening();
int rootSearch(int alpha, int beta, int depth, int side);
void moveToFront(int index);
// True when the time budget of the move is spent; also reports and pumps messages.
bool checkTime();
// Aspiration: whether a root score completes the depth (else the window for the
// re-search is set), and the window the next depth starts with.
bool depthComplete(int score);
void windowForNextDepth(int score);
int alphaBeta(int alpha, int beta, int depth, int ply, int side);
int quiescence(int alpha, int beta, int ply, int side);

// pvText from row 1 of pvTable, skipping empty entries; in place, without allocating
// once pvText has grown to a full line.
void rebuildPvText();
// "1.40 млн.": moves in millions and hundredths of millions, the latter without a
// leading zero (the count moves in steps of 200000, so they are 0, 20, ... 80).
std::string processedText(std::int64_t count);
