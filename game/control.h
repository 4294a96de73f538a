// The game controller's own state: the play mode and the flags through which commands
// that arrive while the engine thinks reach the running engine turn. The flags the
// search itself reads (stopRequested, engineSide, timeBudget, moveSeparator, pvText)
// are engine globals in engine/search.h.
#pragma once

#include <cstdint>

#include "engine/engine.h"

enum GameMode : std::uint8_t {
    EngineWhite = 0,
    EngineBlack = 1,
    Setup = 2,
    EngineBoth = 3,
    Analysis = 4,
    HumanHuman = 5,
};

// The four primary sets of a position, as the engine turn saves them on entry.
struct PieceSets {
    SquareSet whiteMen = 0;
    SquareSet whiteKings = 0;
    SquareSet blackMen = 0;
    SquareSet blackKings = 0;
};

inline PieceSets boardPieceSets() { return {whiteMen, whiteKings, blackMen, blackKings}; }

inline void putPieceSetsOnBoard(const PieceSets& sets)
{
    whiteMen = sets.whiteMen;
    whiteKings = sets.whiteKings;
    blackMen = sets.blackMen;
    blackKings = sets.blackKings;
    recomputeDerivedSets();
}

struct GameControl {
    GameMode mode = EngineBlack;
    GameMode savedMode = EngineWhite; // the mode to return to after setup or pondering
    bool thinking = false;            // an engine turn is computing a move
    bool abortRequested = false;      // discard the search and restore entrySnapshot
    bool restartRequested = false;    // start the engine turn's loop again
    bool gameOver = false;            // board clicks are ignored until a take-back or new game
    bool closing = false;             // the main window is closing
    bool ponderEnabled = false;
    // The "Информация" item as the menu last set it; the new game reads it to clear the
    // window's fields. The item itself starts checked, and closing the window
    // unchecks it without changing infoShown.
    bool infoShown = false;
    bool infoItemChecked = true;
    // The game position while a search runs; take-back and replay overwrite it so
    // that an aborted search restores the position they reached.
    PieceSets entrySnapshot;
};

inline GameControl gameControl;

// Thinking on the opponent's time keeps its own saved mode, so that it never
// overwrites the mode position setup returns to.
struct PonderState {
    bool active = false;
    GameMode savedMode = EngineWhite;
};
inline PonderState ponderState;

// Set by the game controller; loading a file calls it when the engine is to move.
inline void (*engineTurnHook)() = nullptr;
