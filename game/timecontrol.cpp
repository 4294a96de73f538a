#include "game/timecontrol.h"

#include <cstdio>

#include "engine/search.h"
#include "game/controlui.h"
#include "game/record.h"

const char* const wrongTimeMessage = "Неправильно введено время!";

std::optional<std::int32_t> wholeNumber(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void TimeBoxEnter(const std::string& text)
{
    const auto value = wholeNumber(text);
    if (!value || *value < 1) controlUi().showMessage(wrongTimeMessage);
}

bool TimeDialogOk(const TimeDialogState& chosen)
{
    std::int64_t budget = unlimitedTime;
    if (chosen.mode != TimeMode::Unlimited) {
        const bool perMove = chosen.mode == TimeMode::PerMove;
        const auto value = wholeNumber(perMove ? chosen.perMoveText : chosen.per40MovesText);
        if (!value) {
            controlUi().showMessage(wrongTimeMessage);
            return false;
        }
        // Per 40 moves: 200 per minute; replaced before every engine move in play.
        budget = perMove ? std::int64_t{*value} * 100 : std::int64_t{*value} * 6000 / 30;
        if (budget > INT32_MAX || budget < INT32_MIN) {
            controlUi().showMessage(wrongTimeMessage);
            return false;
        }
    }
    timeDialog = chosen;
    timeBudget = static_cast<std::int32_t>(budget);
    return true;
}

void TimeDialogCancel(const TimeDialogState& controls) { timeDialog = controls; }

void RecomputeBudget(int plyNumber, int side)
{
    if (timeDialog.mode != TimeMode::Per40Moves) return;
    const auto minutes = wholeNumber(timeDialog.per40MovesText);
    if (!minutes) return;
    // Moves counted as plyNumber div 2: 40 at the first position, 39 at plies 2 and 3,
    // 1 at 78 and 79, the whole remainder at 80 and 81; then a new period begins.
    const int counted = plyNumber / 2;
    const int period = counted == 0 ? 0 : (counted - 1) / 40;
    int movesLeft = 40 * (period + 1) - counted;
    if (movesLeft < 1) movesLeft = 1;
    const std::int64_t used = side == 0 ? whiteClockSeconds : blackClockSeconds;
    std::int64_t budget = std::int64_t{*minutes} * 6000 * (period + 1) - used * 100;
    budget /= movesLeft;
    if (budget > INT32_MAX) budget = INT32_MAX;
    if (budget < INT32_MIN) budget = INT32_MIN;
    timeBudget = static_cast<std::int32_t>(budget);
}

std::string budgetText(std::int32_t budget)
{
    if (budget == unlimitedTime) return "не ограничено";
    if (budget < 0) budget = 0; // an overspent clock: the search stops at once
    char text[32];
    std::snprintf(text, sizeof text, "%d,%02d", budget / 100, budget % 100);
    return std::string(text) + " сек";
}

void ShowBudget() { setInfoFieldText(InfoField::Label9, budgetText(timeBudget)); }

void ResetClocks()
{
    whiteClockSeconds = 0;
    blackClockSeconds = 0;
}

void ClockTick()
{
    if (gameRecord.plyNumber == 1) return;
    if (sideToMove == 0) ++whiteClockSeconds;
    else ++blackClockSeconds;
    controlUi().clocksChanged();
}

std::string clockText(std::int32_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}
