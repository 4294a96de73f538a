// Drawing the board from the board picture, and the view's options.
#pragma once

#include <QPoint>
#include <QSize>
#include <QVector>
#include <QPixmap>

class QPainter;

struct BoardViewOptions {
    bool smallBoard = false;  // 39-pixel cells instead of 52
    bool rotated = false;     // Black at the bottom
    bool marksShown = false;  // border with letters and digits
    bool showMove = true;     // outline the squares the last refresh changed
    int designBase = 0;       // 0, 6 or 12
    int margin = 0;           // board offset in the client area, the same in x and y
};

extern BoardViewOptions boardView;

constexpr int smallCell = 39;
constexpr int largeCell = 52;

inline int cellSize(const BoardViewOptions& v) { return v.smallBoard ? smallCell : largeCell; }

// Top-left corner of the square at screen column i and row j of the unturned board.
QPoint squareCorner(const BoardViewOptions& v, int i, int j);

// Margin and the window's outer size (height, width: caption, menu and frame
// included) that a size change gives.
struct BoardGeometry {
    int margin;
    int windowHeight;
    int windowWidth;
};
BoardGeometry boardGeometry(bool smallBoard, bool marksShown);

// Client area needed by the board and its margins.
QSize boardClientSize(const BoardViewOptions& v);

// The change outline's colour.
extern const QColor changedSquareColour;

// All 64 squares from boardPicture, the change outlines and the marks.
void paintBoard(QPainter& p, const BoardViewOptions& v, const QVector<QPixmap>& pictures);
