// "Подсказка": the engine searches the human's position at full strength with the
// time control's budget and outlines the move it suggests; it plays nothing. The
// controller's ShowHint runs it; this module holds the search and what is outlined.
#pragma once

#include <optional>

#include "engine/engine.h"

// A human is to move and the engine is not thinking.
bool HintAvailable();
// The hint's search is running (a press on the board stops it, as in analysis).
bool hintRunning();
// Searches the position for `side` with the budget of the time control; the move found
// stands in entry 1 of the root list. Returns the number of root moves.
int searchForHint(int side);
// The board view outlines the move's squares while the board shows this position.
void rememberHint(MoveCode move);
// Whether this picture square (index as in boardPicture) is one of the hint's two
// squares: only while the board still shows the position the hint was given for.
bool hintOutlines(int pictureIndex);
// The hint's move as the board view draws it, an arrow from the first square to the
// last (picture indexes), while the board still shows the hint's position.
struct HintArrow {
    int from = 0;
    int to = 0;
};
std::optional<HintArrow> hintArrow();
// The next command or move takes the hint away.
void forgetHint();
