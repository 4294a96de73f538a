#include "game/moveentry.h"
#include "game/setup.h"

#include "engine/search.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/record.h"

const char* const wrongPositionMessage = "Неправильная позиция";

namespace {

GameControl& gc = gameControl;

void refreshTwiceAndDraw()
{
    GameChanged(GameChange::Position); // nothing outlined
    controlUi().redrawBoard();
}

void removeFromAllSets(SquareSet bit)
{
    whiteMen &= ~bit;
    whiteKings &= ~bit;
    blackMen &= ~bit;
    blackKings &= ~bit;
}

void dragPiece(int from, int to)
{
    if (from == to) return;
    const SquareSet fromBit = squareBit[from];
    const SquareSet toBit = squareBit[to];
    // The piece dragged onto an occupied square replaces what stood there.
    if ((whitePieces | blackPieces) & fromBit) removeFromAllSets(toBit);
    for (SquareSet* set : {&blackMen, &blackKings, &whiteMen, &whiteKings}) {
        if (*set & fromBit) *set = (*set & ~fromBit) | toBit;
    }
}

// Left clicks cycle the white pieces: empty, man (king on rank 8), king, empty.
void cycleWhite(SquareSet bit, bool lastRank)
{
    if ((blackMen | blackKings) & bit) removeFromAllSets(bit);
    else if (whiteMen & bit) whiteMen &= ~bit, whiteKings |= bit;
    else if (whiteKings & bit) whiteKings &= ~bit;
    else if (lastRank) whiteKings |= bit;
    else whiteMen |= bit;
}

// Right clicks cycle the black pieces: empty, man (king on rank 1), king, empty.
void cycleBlack(SquareSet bit, bool lastRank)
{
    if ((whiteMen | whiteKings) & bit) removeFromAllSets(bit);
    else if (blackMen & bit) blackMen &= ~bit, blackKings |= bit;
    else if (blackKings & bit) blackKings &= ~bit;
    else if (lastRank) blackKings |= bit;
    else blackMen |= bit;
}

void setEngineSideForMode(GameMode mode)
{
    switch (mode) {
    case EngineWhite: engineSide = 0; break;
    case EngineBlack: engineSide = 1; break;
    default: break;
    }
    if (mode != Analysis && mode != Setup) controlUi().checkModeItem(mode);
}

void showSetupPanel(bool shown)
{
    if (!setSetupPanelWidth(shown)) return;
    controlUi().showSetupPanel(shown);
    controlUi().applyWindowGeometry();
}

void closeSetupPanel()
{
    showSetupPanel(false);
    sideToMove = setupState.whiteToMove ? 0 : 1;
}

void markSetupEnded()
{
    setupState.active = false;
    controlUi().checkMenuItem(MenuItem::Setup, false);
    controlUi().enableMenuItem(MenuItem::SmallBoard, true);
}

void finishLeaving(GameChange change)
{
    markSetupEnded();
    GameChanged(change);
    controlUi().redrawBoard();
}

void startEngineIfItsTurn()
{
    if (!gc.thinking && sideToMove == engineSide) EngineTurn();
}

} // namespace

void EnterSetup()
{
    if (setupState.active) return;
    gc.gameOver = false;
    // Entered while pondering: setup returns to the mode the engine was playing.
    gc.savedMode = ponderState.active ? ponderState.savedMode : gc.mode;
    ponderState.active = false;
    setupState.active = true;
    controlUi().checkMenuItem(MenuItem::Setup, true);
    // During a search the board holds a position of the search tree; the game
    // position is the one the turn saved on entry.
    setupState.snapshot = gc.thinking ? gc.entrySnapshot : boardPieceSets();
    setupState.snapshotSide = sideToMove;
    gc.abortRequested = true;
    stopRequested = true;
    gc.mode = Setup;
    showSetupPanel(true);
    controlUi().redrawBoard();
    controlUi().enableMenuItem(MenuItem::SmallBoard, false);
}

void SetupClick(int button, std::optional<ScreenSquare> press, ScreenSquare release)
{
    // A click handled while leaving (in the redraw's message pump) edits nothing: the
    // record has already restarted from the position left with.
    if (!setupState.active) return;
    const int square = squareIndexOf(release);
    if (button == leftButton && press && (press->column != release.column || press->row != release.row)) {
        dragPiece(squareIndexOf(*press), square);
        recomputeDerivedSets();
        GameChanged(GameChange::Move); // the squares involved are outlined
        controlUi().redrawBoard();
        return;
    }
    if (button == leftButton && !press) return;
    const SquareSet bit = squareBit[square];
    if (button == leftButton) cycleWhite(bit, release.row == 0);
    else cycleBlack(bit, release.row == 7);
    recomputeDerivedSets();
    refreshTwiceAndDraw();
}

// The panel's buttons act only while setup is on (a click queued before it ended does
// nothing), and not while the search stopped by entering it still unwinds on the board.
void SetupInitial()
{
    if (!setupState.active || gc.thinking) return;
    const int side = sideToMove;
    setPositionFromText(initialPositionText);
    sideToMove = side; // the "Ходят" buttons decide on leaving
    refreshTwiceAndDraw();
}

void SetupClear()
{
    if (!setupState.active || gc.thinking) return;
    const int side = sideToMove;
    setPositionFromText(emptyPositionText);
    sideToMove = side;
    refreshTwiceAndDraw();
}

void LeaveSetup()
{
    // Entered during a search that is still unwinding: nothing was edited yet, and the
    // board holds a position of the search tree.
    if (gc.thinking) putPieceSetsOnBoard(setupState.snapshot);
    if (whitePieces == 0 || blackPieces == 0) {
        controlUi().showMessage(wrongPositionMessage);
        setPositionFromText(initialPositionText);
        GameChanged(GameChange::Position);
        controlUi().redrawBoard();
    }
    closeSetupPanel();
    ResetRecord();
    finishLeaving(GameChange::NewGame);
}

void SetupDone()
{
    if (!setupState.active || gc.thinking) return;
    LeaveSetup();
    controlUi().checkModeItem(HumanHuman);
    gc.mode = gc.savedMode;
    setEngineSideForMode(gc.mode);
    refreshBoardPicture();
    controlUi().redrawBoard();
    // Set up with nothing to play for the side to move, the game is over before it starts.
    if (EndGameIfSideToMoveCannotMove()) return;
    startEngineIfItsTurn();
}

void AbandonSetup()
{
    if (!setupState.active) return;
    gc.mode = gc.savedMode;
    showSetupPanel(false);
    markSetupEnded();
    setEngineSideForMode(gc.mode);
}

void SetupCancel()
{
    if (!setupState.active || gc.thinking) return;
    gc.mode = gc.savedMode;
    // The game in progress goes on: its record is kept and its position restored.
    closeSetupPanel();
    putPieceSetsOnBoard(setupState.snapshot);
    sideToMove = setupState.snapshotSide;
    finishLeaving(GameChange::Position);
    refreshBoardPicture();
    setEngineSideForMode(gc.mode);
    controlUi().redrawBoard();
    startEngineIfItsTurn();
}
