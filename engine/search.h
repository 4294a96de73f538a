// The search: alpha-beta below the root, the root driver, time control and reports.
//
// One engine move runs: prepareSearch (ordering tables, counters, age, stop flag and
// the root list with its depth-5 pre-search), then, when the list holds two or more
// moves and no library move is taken, iterativeDeepening. The move to play is always
// entry 1 of the root list (the move list of ply 1).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
constexpr int preSearchDepth = 5;
constexpr int timeCheckInterval = 200000; // moves made between two clock readings
constexpr int aspirationMargin = 35;
constexpr int fullWindowScore = 2900; // from here on every iteration uses the full window

// ---------------------------------------------------------------- reports
// The information window's fields, named after the window's labels.
enum class InfoField { Label1, Label6, Label7, Label8, Label12, Label14, Label9 };

// "Глубина расчёта:", "Лучший ход:", ...: the caption shown before each field.
const char* infoCaption(InfoField field);

// Where the search reports while it thinks: the windows, korvel-cli, a test.
// Texts are UTF-8 and valid only during the call.
class SearchReporter {
public:
    virtual ~SearchReporter() = default;
    virtual void setField(InfoField field, std::string_view text) = 0;
    // The principal variation window's whole text, " ...  " first when Black searches.
    virtual void ShowVariation(std::string_view text) = 0;
    // Lets the windows handle what is queued; commands may set stopRequested here.
    virtual void pumpMessages() = 0;
    // Whether the menu item "Основной вариант" is checked.
    virtual bool variationItemChecked() = 0;
    // After a root search of the depth loop whose depth is complete, or which found
    // a win or loss and so ends the loop; pvText and the root list are up to date.
    virtual void iterationCompleted(int /*depth*/, int /*score*/) {}
};

// The active reporter; null: the search runs silent.
extern SearchReporter* searchReporter;

// ---------------------------------------------------------------- clock
// Wall-clock readings as a day count (fractions of a day: 1 hundredth = 1 / 8640000).
// Replaceable, so that tests can move time without waiting.
extern double (*searchClock)();
double systemClockDays();

extern double turnStart;   // start of the preparation: the time budget counts from here
extern double searchStart; // start of the depth loop: the speed shown counts from here
extern double lastReading;

// ---------------------------------------------------------------- state shared with the game
extern std::int64_t nodeCount; // moves made this engine move, in steps of the time check
extern int rootScore;          // score of the last completed root search, for the notation
extern int maxIterationDepth;  // the depth loop's last depth, 63 unless a tool sets less

// The opening library's candidate count for the current position; null counts 0.
// While candidates exist the root list keeps generation order.
extern int (*bookCandidateCountHook)();

// Moves made since the preparation, exact (nodeCount lags by up to 200000).
std::int64_t movesMade();

// ---------------------------------------------------------------- principal variation
// Row p: the best line from ply p, entry c being the move at ply p + c (low 16 bits).
extern std::uint32_t pvTable[maxPly + 1][66];
// The ply of the last move of row p's line; p - 1 means an empty line.
extern int pvLast[maxPly + 1];

// ---------------------------------------------------------------- the search
// Clears the ordering tables, resets the counters, advances searchAge, clears the stop
// flag, starts the turn's clock and fills and orders the root list for side, which
// becomes engineSide.
void prepareSearch(int side);
void prepareRoot(int side);
// The depth loop for engineSide over the root list prepared above.
void iterativeDeepening();
int rootSearch(int alpha, int beta, int depth, int side);
void moveToFront(int index);
// True when the time budget of the move is spent; also reports and pumps messages.
bool checkTime();
int alphaBeta(int alpha, int beta, int depth, int ply, int side);
int quiescence(int alpha, int beta, int ply, int side);

// pvText from row 1 of pvTable, skipping empty entries.
void rebuildPvText();

// The root list ordered by its scores, highest first; equal scores keep their order.
void sortRootMoves();

// The depth loop's aspiration window.
struct AspirationWindow {
    int low = -infiniteScore;
    int high = infiniteScore;
    bool failedHigh = false;
    bool failedLow = false;
};
// After a root search of the current depth: true when the depth is complete,
// otherwise the window is widened for a search of the same depth again.
bool depthSettled(AspirationWindow& window, int score);
// The window for the next depth after a complete one with this score.
void nextDepthWindow(AspirationWindow& window, int score);
