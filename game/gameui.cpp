#include "game/gameui.h"

#include "game/book.h"
#include "game/notation.h"

namespace {
GameUi silentUi;
GameUi* activeUi = &silentUi;
} // namespace

void installGameUi(GameUi* ui) { activeUi = ui ? ui : &silentUi; }

GameUi& gameUi() { return *activeUi; }

void installGameHooks()
{
    lookupBookHook = LookupBook;
    refreshNotationHook = RefreshNotation;
}
