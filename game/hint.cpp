#include "game/hint.h"

#include <cstring>

#include "engine/search.h"
#include "game/control.h"
#include "game/record.h"
#include "game/settings.h"
#include "game/strength.h"
#include "game/timecontrol.h"

namespace {

const GameControl& gc = gameControl;

bool running = false;
bool shown = false;
char hintPicture[64];
bool hintSquare[64];
HintArrow arrow;

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

} // namespace

bool HintAvailable() { return !gc.thinking && !gc.gameOver && !ponderState.active && humanToMove(); }

bool hintRunning() { return running; }

int searchForHint(int side)
{
    // Also when the search throws: the hint is no longer running then.
    struct Running {
        Running() { running = true; }
        ~Running() { running = false; }
    } runningNow;
    RecomputeBudget(gameRecord.plyNumber, side);
    ShowBudget();
    prepareSearch(side); // the reports show the side searched for
    const int count = moveLists[1].count;
    if (count > 1) searchAtLevel(strongestLevel, gameSearchThreads());
    return count;
}

void rememberHint(MoveCode move)
{
    std::memcpy(hintPicture, boardPicture, sizeof hintPicture);
    std::memset(hintSquare, 0, sizeof hintSquare);
    hintSquare[pictureIndexOf(moveFrom(move))] = true;
    hintSquare[pictureIndexOf(moveTo(move))] = true;
    arrow = {pictureIndexOf(moveFrom(move)), pictureIndexOf(moveTo(move))};
    shown = true;
}

namespace {
bool boardShowsHintPosition() { return shown && std::memcmp(hintPicture, boardPicture, sizeof hintPicture) == 0; }
} // namespace

std::optional<HintArrow> hintArrow()
{
    if (!boardShowsHintPosition()) return std::nullopt;
    return arrow;
}

void forgetHint() { shown = false; }

bool hintOutlines(int pictureIndex)
{
    return hintSquare[pictureIndex] && boardShowsHintPosition();
}
