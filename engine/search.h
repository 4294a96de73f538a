// The search: alpha-beta below the root, the root driver, time control and reports.
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
constexpr int firstIterationDepth = 7;
constexpr int lastIterationDepth = 63;

// ---------------------------------------------------------------- reports
// The information window's fields, named after its labels.
enum class InfoField { Label1, Label6, Label7, Label8, Label12, Label14, Label9 };
const char* infoFieldCaption(InfoField field); // "Глубина расчёта:" ...

// How the search talks to whoever shows it: the windows, korvel-cli, tests. Every
// call has a silent default.
class SearchReporter {
public:
    virtual ~SearchReporter() = default;
    virtual void setInfoField(InfoField, const std::string&) {}
    virtual void ShowVariation(const std::string&) {}
    virtual void pumpMessages() {}
    virtual bool variationItemChecked() const { return false; } // "Основной вариант"
    virtual void iterationCompleted(int /*depth*/, int /*score*/) {}
};
extern SearchReporter* searchReporter; // null: silent

// The opening library lives outside the engine; the root is left in generation order
// when it offers candidates.
extern int (*bookCandidateCountHook)();

// Seconds on a monotonic clock; replaceable so that tests control time.
extern double (*searchClock)();

// ---------------------------------------------------------------- state
extern std::uint32_t pvTable[maxPly + 1][66];
extern int pvLast[maxPly + 1];
extern std::int32_t nodeCount;   // moves made, in steps of 200000 by the time check
extern double budgetStart;       // when the engine move's preparation began
extern double searchStart;       // when the depth loop began
extern double lastReading;
extern int windowLow, windowHigh;
extern bool failedHigh, failedLow;
extern int rootScore;            // score of the last completed root search
extern int maxIterationDepth;    // the depth loop ends after this depth (63 in play)

// Moves made so far in this engine move, exactly.
std::int64_t movesMade();

// ---------------------------------------------------------------- operations
void prepareSearch(int side); // ordering cleared, counters, age, stop flag, prepareRoot
void prepareRoot(int side);
int rootSearch(int alpha, int beta, int depth, int side);
void moveToFront(int index);
void iterativeDeepening();
bool checkTime();
// Aspiration: whether a root score completes the depth (else the window for the
// re-search is set), and the window the next depth starts with.
bool depthComplete(int score);
void windowForNextDepth(int score);
int alphaBeta(int alpha, int beta, int depth, int ply, int side);
int quiescence(int alpha, int beta, int ply, int side);

// Texts of the reports.
std::string processedText(std::int32_t count); // "1.40 млн."
std::string principalVariationText(bool skipEmpty);
