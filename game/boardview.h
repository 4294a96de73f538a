// The board view's state as plain data: size, rotation, margins, the main window's
// outer size and position, and the mapping from client pixels to board squares.
// The windows draw from it; nothing here touches a window.
#pragma once

#include <optional>

struct BoardView {
    bool smallBoard = false; // becomes true at start-up, when SetBoardSize runs once
    bool rotated = false;    // Black at the bottom
    bool soundOn = true;     // "Звук"
    bool setupActive = false; // the setup panel widens the window
    int marginX = 0;
    int marginY = 0;
    int windowWidth = 0;     // outer size, caption and menu included
    int windowHeight = 0;
    int windowLeft = 0;
    int windowTop = 0;
    int screenWidth = 1024;  // set by the windows before SetBoardSize
    int screenHeight = 768;
    // The cell the window draws now, in pixels: the board takes the largest square that
    // fits the window. 0: the cell of the chosen board size (39 small, 52 large).
    int cell = 0;
};

inline BoardView boardView;

constexpr int smallCell = 39;
constexpr int largeCell = 52;
constexpr int setupPanelWidth = 110;

int cellSize();

// A board square as the screen shows it after the rotation was undone: column 0 is
// file a and row 0 is rank 8 in both orientations.
struct ScreenSquare {
    int column = 0;
    int row = 0;
};

// The square under a client point, or nothing off the board. A point in the margin
// strip less than one cell before the board counts as column or row 0, as integer
// division truncates toward zero.
std::optional<ScreenSquare> screenSquareAt(int x, int y);

bool isDarkSquare(ScreenSquare s);
// The engine's square index 0..31; a light square maps to the dark square beside it
// in the same row.
int squareIndexOf(ScreenSquare s);
// "a8" at (0, 0) to "h1" at (7, 7); light squares have names too.
const char* screenSquareName(ScreenSquare s);

// Switches between the small and the large board: size, margins and centring. The
// window then fits itself to that board, and the cell is the size's own again.
void switchBoardSize();
// The margin of the coordinate strips for a cell: 13 for the small board's 39 pixels and
// 20 for the large board's 52, in proportion for every other cell; 0 without marks.
int marginForCell(int cell);
// The largest board (cell and margins) whose side fits in `side` pixels, at least a
// cell of minimumCell; returns the board's side, 8 cells and two margins.
int fitBoard(int side);
constexpr int minimumCell = 16;
// The window width for the setup panel being shown or hidden; false when it already was.
bool setSetupPanelWidth(bool shown);
