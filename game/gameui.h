// What the game logic needs from the windows. The game code keeps the data (the
// notation lines, the book text, the board position) and tells the windows when
// it changed; the windows read it back. Without an installed user interface every
// call does nothing and every question is answered No. Nothing here calls back into
// the game modules: they sit below this interface.
#pragma once

#include <string>

#include "game/control.h"

// What changed, for the windows to follow.
enum class GameChange {
    Move,     // a half-move played, taken back or replayed, a piece dragged in setup
    Position, // pieces put or taken in setup, a stopped search's position put back
    NewGame,  // a new game, a load, a paste, a set-up position: the game before is gone
};

class GameUi {
public:
    virtual ~GameUi() = default;

    // A message box with OK.
    virtual void showMessage(const std::string& /*text*/) {}
    // A confirmation box with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& /*text*/) { return false; }
    // The board view draws the board picture again.
    virtual void redrawBoard() {}
    // The game position or record changed: the board, the notation, the book, the graph,
    // the clock and the search's fields follow (GameChanged has rebuilt their data).
    virtual void gameChanged(GameChange /*change*/) {}
    // The notation lines, the highlighted line or the opening name changed.
    virtual void notationChanged() {}
    // The book window's text changed.
    virtual void bookTextChanged() {}
    // A blocking pause between the two half-moves of a whole-move step.
    virtual void pause(int /*milliseconds*/) {}
    // The mode menu shows this mode checked and the others unchecked.
    virtual void checkModeItem(GameMode /*mode*/) {}
};

// The active user interface; nullptr installs the silent default.
void installGameUi(GameUi* ui);
GameUi& gameUi();
