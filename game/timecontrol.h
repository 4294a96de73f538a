// The engine's thinking time: the time dialog's choice, the budget recomputed before
// every engine move, its text in the information window, and the two game clocks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class TimeMode {
    PerMove,     // "На ход (сек.)"
    Per40Moves,  // "На 40 ходов (мин.)"
    Unlimited,   // "Не ограничено"
};

// The dialog's controls keep their state for the program's lifetime; the windows hand
// them over whenever the dialog is left.
struct TimeDialogState {
    TimeMode mode = TimeMode::PerMove;
    std::string perMoveText = "2";
    std::string per40MovesText = "10";
};

inline TimeDialogState timeDialog;
inline std::int32_t whiteClockSeconds = 0;
inline std::int32_t blackClockSeconds = 0;

extern const char* const wrongTimeMessage; // "Неправильно введено время!"

// A whole decimal number, optionally signed; nothing for any other text.
std::optional<std::int32_t> wholeNumber(const std::string& text);

// A box receives the focus: warns when its text is not a whole number of at least 1.
void TimeBoxEnter(const std::string& text);
// "Ok": sets timeBudget from the chosen mode and keeps the choice. A box text that is
// not a whole number is refused with the message and nothing changes; returns whether
// the dialog may close.
bool TimeDialogOk(const TimeDialogState& chosen);
// "Отмена" or the close box: the budget stays, but the controls keep what was chosen
// in them, and the recomputation before an engine move reads them as they stand.
void TimeDialogCancel(const TimeDialogState& controls);

// Before an engine move in the playing modes: with minutes for 40 moves, the remaining
// time of the current period of 40 moves divided by the moves left in it. A box text
// that is not a whole number leaves the budget in force.
void RecomputeBudget(int plyNumber, int side);
// The "Время анализа:" text: "не ограничено" or seconds as 15,38 followed by " сек".
std::string budgetText(std::int32_t budget);
void ShowBudget();

void ResetClocks();
// One timer tick: a second for the side to move, except at the game's first position.
void ClockTick();
// "hh:mm:ss"; 100 hours or more give three digits of hours.
std::string clockText(std::int32_t seconds);
