// What the windows do for the game: the Qt side of the game's interface. One
// instance is installed at start-up; every call finds its window through the
// FormN pointers and does nothing when that window does not exist.
#pragma once

#include <QString>

#include "game/controlui.h"

class WindowControlUi : public ControlUi {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void redrawBoard() override;
    void gameChanged(GameChange change) override;
    void notationChanged() override;
    void bookTextChanged() override;
    void pause(int milliseconds) override;
    void checkModeItem(GameMode mode) override;

    int chooseCapture(const std::vector<std::string>& lines) override;
    int chooseGame(const std::vector<std::string>& summaries) override;
    void setInfoField(InfoField field, const std::string& text) override;
    void showVariation(const std::string& text) override;
    bool variationItemChecked() const override;
    void pumpMessages() override;
    void checkMenuItem(MenuItem item, bool checked) override;
    void showStatus(const std::string& text) override;
    void enableMenuItem(MenuItem item, bool enabled) override;
    void playClickSound() override;
    void playMoveSound() override;
    void applyWindowGeometry() override;
    void showSetupPanel(bool shown) override;
    void clocksChanged() override;
    void quitProgram() override;
    int askAnalysisTime() override;
    bool analysisProgress(int done, int total, int secondsLeft) override;
    void analysisFinished() override;
    void analysisChanged() override;
    void showEvaluation(std::optional<int> whiteScore) override;
};

// Installs the windows as the game's interface (and the search's reporter).
void installWindowControlUi();

// The information window's line (1 to 7) of a search field.
int infoLineOf(InfoField field);

namespace WindowServices {

// Message boxes with OK, and with Yes and No.
void ShowMessage(const QString& text);
bool AskYesNo(const QString& text);
// Lets the windows handle what is pending (repaints, timer ticks, commands).
void PumpMessages();
// A pause that keeps the windows drawn but takes no input meanwhile.
void BlockingSleep(int milliseconds);

} // namespace WindowServices
