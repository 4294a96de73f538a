#include "game/gameui.h"

namespace {
GameUi silentUi;
GameUi* activeUi = &silentUi;
} // namespace

void installGameUi(GameUi* ui) { activeUi = ui ? ui : &silentUi; }

GameUi& gameUi() { return *activeUi; }
