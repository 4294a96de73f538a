// Mouse and key input on the board: a press and a release give a move, looked up
// among the legal moves of the side on the move; in setup they edit the position.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "game/boardview.h"

constexpr int leftButton = 0;
constexpr int rightButton = 1;

enum class BoardKeyCode { Enter, PageUp, PageDown, Home, End, Insert, Delete, Other };

// The press square as last recorded; absent after a press off the board.
inline std::optional<ScreenSquare> pressSquare;

void BoardPress(int button, int x, int y);
void BoardRelease(int button, int x, int y);
void BoardKey(BoardKeyCode key);
// The status bar's word when a move is refused while a capture is due.
extern const char* const captureFirstStatus;

// A release that arrived while the engine was still busy with the human's position
// (its move being shown, or the analysis a press had just stopped) is played when
// the engine's turn is over, unless the game moved on meanwhile.
bool pendingReleaseWaiting();
void PlayPendingRelease();

// The variants of an entered move: for each distinct set of captured pieces the first
// legal move in generation order that takes exactly that set.
struct CaptureVariant {
    int index = 0; // 1-based in the move list
    MoveCode move = 0;
    SquareSet captured = 0;
    std::string capturedText; // as c3:e5:g7; empty for a quiet move
};
std::vector<CaptureVariant> matchEnteredMove(const std::string& entered, int mover);
