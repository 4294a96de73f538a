// "Подсказка": the engine searches the human's position at full strength with the
// time control's budget and outlines the move it suggests; it plays nothing.
#pragma once

#include "engine/engine.h"

// A human is to move and the engine is not thinking.
bool HintAvailable();
void ShowHint();
// The hint's search is running (a press on the board stops it, as in analysis).
bool hintRunning();
// Whether the board view outlines this picture square (index as in boardPicture) for
// the hint: only while the board still shows the position the hint was given for.
bool hintOutlines(int pictureIndex);
