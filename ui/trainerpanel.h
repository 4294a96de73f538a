// The combination trainer's panel, docked at the right of the main window: the
// puzzle's number and group, what the trainer says, the buttons for the next and
// previous puzzle, a hint, another try and the solution, and the progress. It talks
// to the trainer in game/ only; the board's moves reach the trainer on their own.
#pragma once

#include <functional>

#include "ui/toolwindow.h"

class QComboBox;
class QLabel;
class QMainWindow;
class QPushButton;
class QTimer;

class TrainerPanel : public ToolWindow {
    Q_OBJECT
public:
    // Its dock ("trainerDock") sits at the right of the main window, hidden while the
    // trainer is closed.
    explicit TrainerPanel(QMainWindow* parent);

    // "Решать комбинации...": opens the trainer with the collection and shows the
    // panel; a collection with damaged lines is used without them, after a message
    // naming them. An analysis running on the board is stopped first.
    void OpenTrainer();
    // The trainer closes, the game comes back and the panel goes.
    void CloseTrainer();
    // Whether the item opens the trainer: no search runs but an analysis that stops for it.
    static bool canOpen();
    // Shows the panel as the main window shows its panels (growing for it where it can).
    std::function<void()> showPanelHook;

    QLabel *puzzleLabel, *messageLabel, *progressLabel;
    QComboBox* difficultyBox;
    QPushButton *previousButton, *nextButton, *hintButton, *againButton, *solutionButton, *closeButton;

protected:
    // The dock's close box.
    void FormClose() override;

private:
    static bool analysisToStop();
    void showState();
    void solutionTick();

    QTimer* solutionTimer;
    int openTries = 0; // while a stopped search unwinds
};

// Set when the main window creates the panel.
extern TrainerPanel* trainerPanel;
