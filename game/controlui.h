// What the game controller, move entry, time control and setup need from the windows,
// beyond the game data's interface. The windows implement it once; every call has a
// silent default, and without an installed interface the search reports go nowhere.
#pragma once

#include <string>
#include <vector>

#include "engine/search.h"
#include "game/gameui.h"

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
};

// Installs the interface for the game code and as the search's reporter; nullptr
// installs the silent default.
void installControlUi(ControlUi* ui);
ControlUi& controlUi();

// The information window's fields as last written, for the draw offer to read back.
const std::string& infoFieldText(InfoField field);
void setInfoFieldText(InfoField field, const std::string& text);
// The side whose view the score field shows: the side searched when it was written.
int infoScoreSide();
