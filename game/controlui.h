// What the game controller, move entry, time control and setup need from the windows,
// beyond the game data's interface. The windows implement it once; every call has a
// silent default, and without an installed interface the search reports go nowhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/search.h"
#include "game/gameui.h"

// The information window's fields, named after its labels.
enum class InfoField { Label1, Label6, Label7, Label8, Label12, Label14, Label9 };
const char* infoFieldCaption(InfoField field); // "Глубина расчёта:" ...

enum class MenuItem {
    SmallBoard,    // "Маленькая доска"
    Rotated,       // "Повернутая доска"
    Setup,         // "Расстановка позиции"
    Ponder,        // "Использование времени соперника"
    Sound,         // "Звук"
    Information,   // "Информация": the information window is shown while it is checked
};

class ControlUi : public GameUi {
public:
    // The move-choice dialog: one line per variant of captured squares. Returns the
    // 0-based line chosen with "Ok" or a double-click, or -1 for "Отмена".
    virtual int chooseCapture(const std::vector<std::string>& /*lines*/) { return -1; }
    // The choice among the games of a PDN file: one summary line per game. Returns the
    // 0-based game chosen, or -1 when the user cancels.
    virtual int chooseGame(const std::vector<std::string>& /*summaries*/) { return -1; }
    // The information window's fields and the variation window.
    virtual void setInfoField(InfoField, const std::string&) {}
    virtual void showVariation(const std::string&) {}
    virtual bool variationItemChecked() const { return false; }
    // Lets the window thread handle the messages waiting in its queue.
    virtual void pumpMessages() {}
    virtual void checkMenuItem(MenuItem, bool /*checked*/) {}
    // A short message in the status bar: what a load or a paste did, why a move was refused.
    virtual void showStatus(const std::string& /*text*/) {}
    virtual void enableMenuItem(MenuItem, bool /*enabled*/) {}
    virtual void playClickSound() {}
    virtual void playMoveSound() {}
    // The main window takes boardView's size and position.
    virtual void applyWindowGeometry() {}
    // The setup panel beside the board is shown or hidden.
    virtual void showSetupPanel(bool /*shown*/) {}
    // The clock labels show new totals (clockText of both sides).
    virtual void clocksChanged() {}
    // The program ends (the main window closed while the engine was thinking).
    virtual void quitProgram() {}
    // The whole-game analysis: the time per half-move asked before it starts, in
    // hundredths of a second (0 when the user cancels); its progress while it runs,
    // answered false once the user pressed "Отмена"; its end; and its results changed
    // (the graph draws them again).
    virtual int askAnalysisTime() { return 0; }
    virtual bool analysisProgress(int /*done*/, int /*total*/, int /*secondsLeft*/) { return true; }
    virtual void analysisFinished() {}
    virtual void analysisChanged() {}
    // The engine's latest score from White's view (a man is 100, beyond decidedScore a
    // win), or nothing when none belongs to the game on the board: the evaluation bar.
    virtual void showEvaluation(std::optional<int> /*whiteScore*/) {}
};

// ---------------------------------------------------------------- the search's texts
// Every text the windows show of a running search is made here, from the search's
// progress reports.

// The tables' verdicts: 3000 and the material, a win known without its distance.
constexpr int tableVerdictScore = 2900;
// The score as the information window shows it, from White's view whichever side was
// searched: men with two decimals ("+0.35", "−4.28"), a win in moves ("Выигрыш белых
// через 7 ходов"), or a verdict of the tables without its distance ("Выигрыш чёрных").
std::string infoScoreText(int score, int side);
// "1.40 млн.": moves in millions and hundredths of millions, the latter without a
// leading zero (the count moves in steps of 200000, so they are 0, 20, ... 80).
std::string processedText(std::int64_t count);
// What a progress report writes into the information window, field by field in the
// order written, and the variation window's whole text when the report shows the line
// there (" ...  " first when Black searches). A new best move shows its line only
// while "Основной вариант" is checked.
struct ProgressTexts {
    std::vector<std::pair<InfoField, std::string>> fields;
    std::optional<std::string> variation;
};
ProgressTexts progressTexts(const SearchProgress& progress, bool variationItemChecked);

// Installs the interface for the game code and as the search's reporter; nullptr
// installs the silent default.
void installControlUi(ControlUi* ui);
ControlUi& controlUi();

// The information window's fields as last written, for the draw offer to read back.
const std::string& infoFieldText(InfoField field);
void setInfoFieldText(InfoField field, const std::string& text);
// The engine's latest score as the side searched saw it; nothing before the first
// search of the game on the board (a new game, a load or a paste forgets it).
struct EngineScore {
    int score = 0;
    int side = White;
};
std::optional<EngineScore> latestEngineScore();
void forgetEngineScore();
