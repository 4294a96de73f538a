// Position setup: clicks edit the pieces, the panel's buttons set the initial or an
// empty position, and leaving setup starts a new game record from the position.
#pragma once

#include <optional>

#include "game/boardview.h"
#include "game/control.h"

extern const char* const wrongPositionMessage; // "Неправильная позиция"

struct SetupState {
    bool active = false;        // the menu item "Расстановка позиции" is checked
    bool whiteToMove = true;    // the "Ходят" radio buttons; kept between setups
    PieceSets snapshot;         // the position on entry
    int snapshotSide = 0;
};
inline SetupState setupState;

void EnterSetup();
// A release on a dark square; press is absent when the press lay off the board.
void SetupClick(int button, std::optional<ScreenSquare> press, ScreenSquare release);
void SetupInitial();
void SetupClear();
void SetupCancel();
void SetupDone();
// Validates, hides the panel, takes the side to move, restarts the game record.
void LeaveSetup();
// A new game ends setup: the panel goes and the mode before setup comes back; the new
// game sets position and record.
void AbandonSetup();
