#include "game/moveentry.h"

#include "engine/search.h"
#include "game/controller.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/hint.h"
#include "game/record.h"
#include "game/setup.h"
#include "game/trainer.h"

const char* const captureFirstStatus =
    "Бить обязательно: взятие вводится целиком, от поля, где шашка стоит, до поля, где она остановится";
namespace {

GameControl& gc = gameControl;

bool enginesTurn()
{
    return (gc.mode == EngineWhite && sideToMove == 0) || (gc.mode == EngineBlack && sideToMove == 1);
}

struct PendingRelease {
    int button = 0;
    int x = 0;
    int y = 0;
    std::optional<ScreenSquare> press;
    PieceSets position; // the game position the move was entered on
    int side = 0;
};
std::optional<PendingRelease> pendingRelease;

// While thinking, the game position is the one the turn saved. The human may move on
// it when the engine only analyses it, or when the engine's reply is already made.
bool humanOnMoveWhileThinking()
{
    if (gc.mode == Analysis || hintRunning()) return true;
    return (gc.mode == EngineWhite || gc.mode == EngineBlack) && sideToMove != engineSide;
}

bool samePosition(const PieceSets& a, const PieceSets& b)
{
    return a.whiteMen == b.whiteMen && a.whiteKings == b.whiteKings && a.blackMen == b.blackMen &&
           a.blackKings == b.blackKings;
}

void playEnteredMove(const CaptureVariant& chosen, int mover, const std::string& entered)
{
    makeMove(chosen.move, chosen.captured, mover, 0);
    sideToMove = 1 - sideToMove;
    if (!AppendMove(entered.substr(0, 2) + moveSeparator + entered.substr(2))) return;
    GameChanged(GameChange::Move);
    controlUi().redrawBoard();
    if (boardView.soundOn) controlUi().playMoveSound();
    if (!sideHasMove(sideToMove)) {
        announceLossOfSideToMove();
        gc.gameOver = true;
        return;
    }
    if (GameDrawnByRules()) return;
    controlUi().pumpMessages();
    if (gc.gameOver) return; // a draw accepted meanwhile: the engine does not answer
    if (gc.mode == HumanHuman) engineSide = 1 - engineSide;
    else EngineTurn();
}

void enterMove(ScreenSquare release)
{
    if (!pressSquare) return;
    const int mover = 1 - engineSide;
    // engineSide decides for whom the move is looked up; it can only be the side on move.
    if (mover != sideToMove) return;
    const std::string entered = std::string(screenSquareName(*pressSquare)) + screenSquareName(release);
    moveSeparator = ':';
    int count = generateCaptures(mover, 0);
    if (count == 0) {
        count = generateQuietMoves(mover, 0);
        moveSeparator = '-';
    }
    if (count == 0) {
        announceLossOfSideToMove();
        gc.gameOver = true;
        return;
    }
    const std::vector<CaptureVariant> variants = matchEnteredMove(entered, mover);
    if (variants.empty()) {
        // The rule a newcomer meets first: a capture must be taken, and whole.
        const bool moved = release.column != pressSquare->column || release.row != pressSquare->row;
        if (moveSeparator == ':' && moved) controlUi().showStatus(captureFirstStatus);
        return;
    }
    int chosen = 0;
    if (variants.size() > 1) {
        std::vector<std::string> lines;
        for (const CaptureVariant& v : variants) lines.push_back(v.capturedText);
        chosen = controlUi().chooseCapture(lines);
        if (chosen < 0 || chosen >= static_cast<int>(variants.size())) return;
    }
    // While the trainer is open the move is its solver's, not the game's.
    if (puzzleTrainer().enterMove(variants[chosen].move, variants[chosen].captured)) return;
    playEnteredMove(variants[chosen], mover, entered);
}

} // namespace

std::vector<CaptureVariant> matchEnteredMove(const std::string& entered, int mover)
{
    (void)mover; // the list of ply 0 was generated for the mover
    std::vector<CaptureVariant> variants;
    const MoveList& list = moveLists[0];
    for (int k = 1; k <= list.count; ++k) {
        const MoveCode m = list.moves[k];
        const std::string text = moveText(m);
        if (text.substr(0, 2) + text.substr(3) != entered) continue;
        const std::string captured = squareSetText(list.captured[k]);
        bool known = false;
        for (const CaptureVariant& v : variants) known = known || v.capturedText == captured;
        // Two paths that take the same pieces are one variant: the first is kept.
        if (!known) variants.push_back({k, m, list.captured[k], captured});
    }
    return variants;
}

void BoardPress(int /*button*/, int x, int y)
{
    controlUi().playClickSound();
    // A press ends the hint's search as it ends an analysis; the move follows on release.
    if (hintRunning()) stopRequested = true;
    if (gc.mode == Analysis) {
        stopRequested = true;
        // While pondering this gives engineSide back to the engine's side.
        engineSide = 1 - sideToMove;
    }
    pressSquare = screenSquareAt(x, y);
}

void BoardRelease(int button, int x, int y)
{
    if (gc.gameOver) return;
    if (gc.mode == HumanHuman) engineSide = 1 - sideToMove;
    // No human move is ever made under a running search (also one still unwinding after
    // a stop): a move on the human's position waits for the turn to end.
    if (gc.thinking) {
        if (humanOnMoveWhileThinking())
            pendingRelease = PendingRelease{button, x, y, pressSquare, gc.entrySnapshot, sideToMove};
        return;
    }
    const auto release = screenSquareAt(x, y);
    if (!release || !isDarkSquare(*release)) return;
    // The playing mode, and the engine's colour, are back before the move is looked up.
    EndPondering();
    if (enginesTurn()) return;
    if (gc.mode == Setup) {
        SetupClick(button, pressSquare, *release);
        return;
    }
    enterMove(*release);
}

bool pendingReleaseWaiting() { return pendingRelease.has_value(); }

void PlayPendingRelease()
{
    if (!pendingRelease || gc.thinking) return;
    const PendingRelease release = *pendingRelease;
    pendingRelease.reset();
    if (release.side != sideToMove || !samePosition(release.position, boardPieceSets())) return;
    pressSquare = release.press;
    BoardRelease(release.button, release.x, release.y);
}

void BoardKey(BoardKeyCode key)
{
    if (gc.thinking && gc.mode != Analysis) return;
    // The trainer's position has no game to step through.
    if (puzzleTrainer().isOpen() && key != BoardKeyCode::Enter) return;
    switch (key) {
    case BoardKeyCode::Enter:
        if (!setupState.active) SetBoardSize(); // the size item is disabled in setup
        break;
    case BoardKeyCode::PageUp: MoveBack(); break;
    case BoardKeyCode::PageDown: MoveForward(); break;
    case BoardKeyCode::Home: GoToStart(); break;
    case BoardKeyCode::End: GoToEnd(); break;
    case BoardKeyCode::Insert: StepForward(); break;
    case BoardKeyCode::Delete: StepBack(); break;
    case BoardKeyCode::Other: break;
    }
}
