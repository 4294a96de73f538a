#include "game/preferences.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/search.h"
#include "game/book.h"
#include "game/boardview.h"
#include "game/control.h"
#include "game/datafiles.h"
#include "game/drawrules.h"
#include "game/settings.h"
#include "game/strength.h"
#include "game/timecontrol.h"
#include "game/trainer.h"

namespace {

const char* boolText(bool value) { return value ? "true" : "false"; }

std::optional<bool> boolFrom(const std::string& text)
{
    if (text == "true") return true;
    if (text == "false") return false;
    return std::nullopt;
}

std::optional<int> numberIn(const std::string& text, int low, int high)
{
    const auto value = wholeNumber(text);
    if (!value || *value < low || *value > high) return std::nullopt;
    return *value;
}

// One stored choice: its text now, and putting a text in force (false: not valid).
struct Preference {
    const char* key;
    const char* defaultText;
    std::function<std::string()> get;
    std::function<bool(const std::string&)> set;
};

// A bool, or an atomic one that search threads read.
template <typename Flag>
Preference flag(const char* key, Flag& value, bool byDefault)
{
    return {key, boolText(byDefault), [&value] { return std::string(boolText(value)); },
            [&value](const std::string& text) {
                const auto parsed = boolFrom(text);
                if (parsed) value = *parsed;
                return parsed.has_value();
            }};
}

// The user's turn of the board: while the trainer shows a puzzle from Black's side, that
// of the game it put aside.
Preference rotation()
{
    Preference entry = flag("rotated", boardView.rotated, false);
    entry.get = [] { return std::string(boolText(puzzleTrainer().gameRotation().value_or(boardView.rotated))); };
    return entry;
}

Preference number(const char* key, int& value, const char* byDefault, int low, int high)
{
    return {key, byDefault, [&value] { return std::to_string(value); },
            [&value, low, high](const std::string& text) {
                const auto parsed = numberIn(text, low, high);
                if (parsed) value = *parsed;
                return parsed.has_value();
            }};
}

// A time box's text: a whole number of at least 1, as the dialog accepts it.
Preference timeText(const char* key, std::string& value, const char* byDefault)
{
    return {key, byDefault, [&value] { return value; },
            [&value](const std::string& text) {
                if (!numberIn(text, 1, 1000000)) return false;
                value = text;
                return true;
            }};
}

const char* const timeModeNames[] = {"perMove", "per40Moves", "unlimited"};

const std::vector<Preference>& preferences()
{
    static const std::vector<Preference> table = {
        number("level", engineLevel, "8", weakestLevel, strongestLevel),
        flag("extendedDraw", extendedDraw, true),
        flag("bookEnabled", bookEnabled, true),
        {"libraryFile", "MyBase.deb", [] { return libraryFileName; },
         [](const std::string& text) {
             if (text.empty() || text.size() > 255) return false;
             if (dataFilePath(text) != libraryFileName) {
                 libraryFileName = dataFilePath(text);
                 LoadLibrary(); // a file that cannot be read is reported; the old library stays
             }
             return true;
         }},
        number("bookQuietMoves", bookQuietMoves, "10", minBookQuietMoves, maxBookQuietMoves),
        {"design", "0", [] { return std::to_string(designBase); },
         [](const std::string& text) {
             const auto parsed = numberIn(text, 0, 12);
             if (!parsed || *parsed % 6 != 0) return false;
             designBase = *parsed;
             return true;
         }},
        flag("marks", marksShown, false),
        flag("showMove", showMove, true),
        flag("drawRules", officialDrawRules, false),
        // 0: korvel.ini's number; a stored number beyond this machine's processors is refused.
        {"threads", "0", [] { return std::to_string(threadsChosen); },
         [](const std::string& text) {
             const auto parsed = numberIn(text, 0, logicalProcessors());
             if (parsed) threadsChosen = *parsed;
             return parsed.has_value();
         }},
        rotation(),
        flag("sound", boardView.soundOn, true),
        flag("smallBoard", boardView.smallBoard, false),
        flag("ponder", gameControl.ponderEnabled, false),
        {"time/mode", "perMove", [] { return std::string(timeModeNames[static_cast<int>(timeDialog.mode)]); },
         [](const std::string& text) {
             for (int k = 0; k < 3; ++k)
                 if (text == timeModeNames[k]) {
                     timeDialog.mode = static_cast<TimeMode>(k);
                     return true;
                 }
             return false;
         }},
        timeText("time/perMove", timeDialog.perMoveText, "2"),
        timeText("time/per40Moves", timeDialog.per40MovesText, "10"),
    };
    return table;
}

} // namespace

PreferenceMap currentPreferences()
{
    PreferenceMap now;
    for (const Preference& p : preferences()) now[p.key] = p.get();
    return now;
}

std::vector<std::string> applyPreferences(const PreferenceMap& stored)
{
    std::vector<std::string> refused;
    for (const Preference& p : preferences()) {
        const auto found = stored.find(p.key);
        if (found != stored.end() && p.set(found->second)) continue;
        if (found != stored.end()) refused.push_back(p.key);
        p.set(p.defaultText);
    }
    // The budget in force follows the time control (the texts are valid by now).
    TimeDialogOk(timeDialog);
    return refused;
}

void resetPreferences() { applyPreferences({}); }
