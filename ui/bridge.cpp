// Forwarding to the game controller. Until the controller is linked in, only the
// window-side halves of the operations act: the board shows the initial position,
// setup shows and hides its panel, Enter changes the board size. The other
// operations do nothing yet.
#include "ui/bridge.h"

#include "engine/engine.h"
#include "ui/unit1.h"

namespace Controller {

void LoadOpeningLibrary() {}

void StartNewGame()
{
    setPositionFromText(initialPositionText);
    refreshBoardPicture();
    refreshBoardPicture(); // twice: nothing is outlined at a new game
    if (Form1) Form1->DrawBoard();
}

void NewGameCommand() { StartNewGame(); }
void OfferDraw() {}
void LoadChosenFile(const QString&) {}

void SaveChosenFile(const QString& fileName, SaveKind kind)
{
    if (kind == SaveKind::Picture && Form1) Form1->SaveBoardPicture(fileName);
}

void StepBack() {}
void StepForward() {}
void MoveBack() {}
void MoveForward() {}
void BookWindowToggled() {}
void NotationWindowToggled()
{
    if (Form1) Form1->DrawBoard();
}
void InformationToggled(bool) {}
void PonderToggled(bool) {}

void SetMode(GameMode mode)
{
    if (!Form1) return;
    if (Form1->setupActive()) Form1->HideSetupPanel();
    Form1->CheckModeItem(mode);
}

void EnterSetup()
{
    if (!Form1 || Form1->setupActive()) return;
    Form1->CheckModeItem(Setup);
    Form1->ShowSetupPanel();
    Form1->DrawBoard();
}

void BoardPress(int, int, int) {}
void BoardRelease(int, int, int) {}

void BoardKey(BoardKeyCode key)
{
    if (key == BoardKeyCode::Enter && Form1) Form1->SmallBoardCommand();
}

void SetupInitial() {}
void SetupClear() {}

void SetupCancel()
{
    if (!Form1) return;
    Form1->HideSetupPanel();
    Form1->CheckModeItem(EngineBlack);
    Form1->DrawBoard();
}

void SetupDone() { SetupCancel(); }
void NotationBack() {}
void NotationForward() {}
void BookUseChanged(bool) {}
void LibraryFileChosen(const QString&) {}
bool ClockTick() { return false; }
int whiteClockSeconds() { return 0; }
int blackClockSeconds() { return 0; }
bool thinking() { return false; }
void OnMainWindowClose() {}

} // namespace Controller
