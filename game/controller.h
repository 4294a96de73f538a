// The game controller: who moves, the engine's turn, the end of the game, and the
// game-level commands (new game, play modes, draw offer, thinking on the opponent's
// time, closing). Commands that arrive while the engine thinks reach the running
// turn only through gameControl's flags and stopRequested.
#pragma once

#include <string>

#include "game/control.h"

extern const char* const whiteWinsMessage;      // "Белые выиграли!"
extern const char* const blackWinsMessage;      // "Чёрные выиграли!"
extern const char* const repetitionMessage;     // "Ничья! Троекратное повторение позиции."
extern const char* const drawRefusedMessage;    // "Предложение отклонено! Продолжайте играть"
extern const char* const drawAcceptedMessage;   // "Предложение принято. Ничья!"

// Whether the side has a legal move at ply 0 (overwrites ply 0's move list).
bool sideHasMove(int side);
// The game is lost by the side to move: the message naming the winner.
void announceLossOfSideToMove();
// A position the side to move cannot play (no piece, or no legal move) ends the game
// at once with that announcement; true when it did.
bool EndGameIfSideToMoveCannotMove();
// With the federation's draw rules on, a dead ending at the board's position is
// announced and ends the game.
bool GameDrawnByRules();

void EngineTurn();
// Whether an engine turn is on the stack (its search may be pumping messages).
bool EngineTurnRunning();
// Thinking on the opponent's time ends: the playing mode comes back, and with it the
// engine's colour.
void EndPondering();
void StartNewGame();
void NewGameCommand();
void SetMode(GameMode mode);
void OfferDraw();
// "Подсказка": the suggested move is outlined and shown as the best move; nothing is played.
void ShowHint();
// "Анализ партии...": asks the time per half-move and analyses the game record with a
// progress report that can cancel it; each position's new result replaces the old. The
// game, its position and side to move, the mode and the engine's flags are as before
// when it ends, however it ends.
void AnalyseGameCommand();
// The engine's colour as the mode has it once a search it plays nothing from (a hint,
// a whole-game analysis) is over: the human's opponent's where no mode fixes it.
void restoreEngineSide();
void TogglePonder();
// "Звук": the move sound is played after a move while the item is checked.
void ToggleSound();
// "Информация": flips the item and shows or hides the window through its check mark;
// infoShown follows the new state. The fields keep their texts and go on being
// written while the window is hidden.
void ToggleInformation();
// The information window was closed by its frame: the item loses its mark.
void InformationWindowClosed();
void OnMainWindowClose();
// The book window's text for the board: the library's moves, or in endings within the
// bases every move's verdict.
void RefreshBookWindow();
// Toggles the small board and applies size, margins and centring; redraws.
void SetBoardSize();
// Flips the rotation and its check mark; redraws.
void ToggleRotation();

// Lets the board refresh reach the opening library, the endgame verdicts and the
// notation: called once at start-up, after the engine is initialised.
void installGameHooks();
// Before any window exists: the engine and its once-only start-up, the controller's
// hooks, the budget of 200, the opening library (libraryFileName, taken from the
// installed data folder when the working folder lacks it).
void StartUp();
// What creating the main window does: seed, new game, the small board.
void MainWindowCreated();
