#include "game/hint.h"

#include <cstring>

#include "engine/search.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/moveentry.h"
#include "game/record.h"
#include "game/timecontrol.h"

namespace {

GameControl& gc = gameControl;

bool running = false;
bool shown = false;
char hintPicture[64];
bool hintSquare[64];

int pictureIndexOf(int square)
{
    const char* name = squareName[square];
    return (name[1] - '1') * 8 + (name[0] - 'a');
}

bool humanToMove()
{
    switch (gc.mode) {
    case EngineWhite: return sideToMove == Black;
    case EngineBlack: return sideToMove == White;
    case Analysis:
    case HumanHuman: return true;
    default: return false;
    }
}

// The engine's colour as the mode has it once the hint's search is over.
void restoreEngineSide()
{
    if (gc.mode == EngineWhite) engineSide = White;
    else if (gc.mode == EngineBlack) engineSide = Black;
    else engineSide = 1 - sideToMove;
}

void outline(MoveCode move)
{
    std::memcpy(hintPicture, boardPicture, sizeof hintPicture);
    std::memset(hintSquare, 0, sizeof hintSquare);
    hintSquare[pictureIndexOf(moveFrom(move))] = true;
    hintSquare[pictureIndexOf(moveTo(move))] = true;
    shown = true;
}

// Commands handled in the search's pumps reach the hint through the controller's
// flags: whatever they changed stands, and no hint is shown.
bool interrupted()
{
    if (gc.closing) {
        controlUi().quitProgram();
        return true;
    }
    if (!gc.abortRequested && !gc.restartRequested) return false;
    gc.abortRequested = false;
    putPieceSetsOnBoard(gc.entrySnapshot);
    restoreEngineSide();
    if (gc.restartRequested) {
        // A new game arrived: the engine opens it if it is its turn.
        gc.restartRequested = false;
        if (gc.mode == EngineBoth || sideToMove == engineSide) EngineTurn();
    }
    return true;
}

} // namespace

bool HintAvailable() { return !gc.thinking && !gc.gameOver && !ponderState.active && humanToMove(); }

bool hintRunning() { return running; }

bool hintOutlines(int pictureIndex)
{
    return shown && hintSquare[pictureIndex] && std::memcmp(hintPicture, boardPicture, sizeof hintPicture) == 0;
}

void ShowHint()
{
    if (!HintAvailable()) return;
    const int side = sideToMove;
    gc.entrySnapshot = boardPieceSets();
    gc.abortRequested = gc.restartRequested = false;
    gc.thinking = true;
    running = true;
    engineSide = side; // the reports show the human's side's view
    RecomputeBudget(gameRecord.plyNumber, side);
    ShowBudget();
    prepareSearch(side);
    const int count = moveLists[1].count;
    if (count > 1) iterativeDeepening();
    running = false;
    gc.thinking = false;
    if (interrupted()) {
        PlayPendingRelease();
        return;
    }
    restoreEngineSide();
    if (count > 0) {
        const MoveCode move = moveLists[1].moves[1];
        outline(move);
        std::string text = moveText(move);
        text[2] = moveSeparator;
        setInfoFieldText(InfoField::Label6, text);
        controlUi().redrawBoard();
    }
    PlayPendingRelease();
}
