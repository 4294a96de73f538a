#include "game/commandguard.h"

#include <exception>
#include <string>

#include "engine/engine.h"
#include "game/analysis.h"
#include "game/controller.h"
#include "game/hint.h"
#include "game/controlui.h"
#include "game/gamechange.h"

namespace {

std::string failureText(const std::exception& error)
{
    // The configuration's errors are already sentences for the user.
    if (dynamic_cast<const ConfigError*>(&error)) return error.what();
    return std::string("Ошибка: ") + error.what();
}

// Only a turn no longer on the stack is torn: a command that threw inside the pump of
// a running engine turn, hint or whole-game analysis leaves that search its flags.
void windUpTornTurn()
{
    GameControl& gc = gameControl;
    if (!gc.thinking || EngineTurnRunning() || hintRunning() || analysisRunning) return;
    putPieceSetsOnBoard(gc.entrySnapshot);
    gc.thinking = false;
    gc.abortRequested = false;
    gc.restartRequested = false;
    EndPondering();
    GameChanged(GameChange::Position);
    controlUi().redrawBoard();
}

void commandFailed(const std::string& text)
{
    windUpTornTurn();
    controlUi().showMessage(text);
}

} // namespace

void RunGuarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        commandFailed(failureText(error));
    } catch (...) {
        commandFailed("Ошибка: неизвестная ошибка");
    }
}
