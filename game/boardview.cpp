#include "game/boardview.h"

#include "game/settings.h"

#include <algorithm>

int cellSize()
{
    if (boardView.cell > 0) return boardView.cell;
    return boardView.smallBoard ? smallCell : largeCell;
}

int marginForCell(int cell)
{
    if (!marksShown) return 0;
    return cell <= smallCell ? cell / 3 : cell * 20 / largeCell;
}

int fitBoard(int side)
{
    int cell = std::max(minimumCell, side / 8);
    while (cell > minimumCell && 8 * cell + 2 * marginForCell(cell) > side) --cell;
    boardView.cell = cell;
    boardView.marginX = boardView.marginY = marginForCell(cell);
    return 8 * cell + 2 * boardView.marginX;
}

namespace {

int boardCoordinate(int pixel, int margin)
{
    // Truncation toward zero, so a point just inside the margin still counts as 0.
    return (pixel - margin) / cellSize();
}

bool onBoard(int c) { return c >= 0 && c <= 7; }

void centreWindow()
{
    boardView.windowTop = (boardView.screenHeight - boardView.windowHeight) / 2 - 2;
    boardView.windowLeft = (boardView.screenWidth - boardView.windowWidth) / 2 - 2;
}

} // namespace

std::optional<ScreenSquare> screenSquareAt(int x, int y)
{
    ScreenSquare s{boardCoordinate(x, boardView.marginX), boardCoordinate(y, boardView.marginY)};
    if (!onBoard(s.column) || !onBoard(s.row)) return std::nullopt;
    if (boardView.rotated) s = {7 - s.column, 7 - s.row};
    return s;
}

bool isDarkSquare(ScreenSquare s) { return (s.column + s.row) % 2 == 1; }

int squareIndexOf(ScreenSquare s) { return (7 - s.row) * 4 + s.column / 2; }

const char* screenSquareName(ScreenSquare s)
{
    static const char names[8][8][3] = {
        {"a8", "a7", "a6", "a5", "a4", "a3", "a2", "a1"}, {"b8", "b7", "b6", "b5", "b4", "b3", "b2", "b1"},
        {"c8", "c7", "c6", "c5", "c4", "c3", "c2", "c1"}, {"d8", "d7", "d6", "d5", "d4", "d3", "d2", "d1"},
        {"e8", "e7", "e6", "e5", "e4", "e3", "e2", "e1"}, {"f8", "f7", "f6", "f5", "f4", "f3", "f2", "f1"},
        {"g8", "g7", "g6", "g5", "g4", "g3", "g2", "g1"}, {"h8", "h7", "h6", "h5", "h4", "h3", "h2", "h1"},
    };
    return names[s.column][s.row];
}

void switchBoardSize()
{
    boardView.smallBoard = !boardView.smallBoard;
    boardView.cell = 0;
    int m;
    if (boardView.smallBoard) {
        m = marksShown ? 13 : 0;
        boardView.windowHeight = 2 * m + 356;
        boardView.windowWidth = 2 * m + 318;
    } else {
        m = marksShown ? 20 : 0;
        boardView.windowHeight = 2 * m + 460;
        boardView.windowWidth = 2 * m + 420;
    }
    if (boardView.setupActive) boardView.windowWidth += setupPanelWidth;
    boardView.marginX = boardView.marginY = m;
    centreWindow();
}

bool setSetupPanelWidth(bool shown)
{
    if (shown == boardView.setupActive) return false;
    boardView.setupActive = shown;
    boardView.windowWidth += shown ? setupPanelWidth : -setupPanelWidth;
    return true;
}
