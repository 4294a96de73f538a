// Every change of the game position or of the game record ends here: the board picture
// is rebuilt, the library's moves (or the endgame verdicts) and the notation follow, and
// the windows hear of it once, so that every panel shows the game on the board.
#pragma once

#include "game/gameui.h"

// The book's text (the library's moves, or every move's verdict in endings within the
// tables) and the notation for the board's position, without telling the windows.
void refreshGameData();
// The picture (outlining what changed only after a move), the data above, and, for a new
// game, the search's fields and variation emptied; then GameUi::gameChanged.
void GameChanged(GameChange change);
