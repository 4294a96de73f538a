// Drawing the board from the board picture, with the game's view state (size,
// rotation, margins) and the settings (design, marks, last-move outlines).
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QVector>

#include "game/boardview.h"

class QPainter;

// Top-left corner of the square at screen column i and row j of the unturned board.
QPoint squareCorner(int i, int j);

// Client area needed by the board and its margins.
QSize boardClientSize();

// The change outline's colour, and the hint arrow's.
extern const QColor changedSquareColour;
extern const QColor hintArrowColour;

// All 64 squares from boardPicture, the change outlines, the marks and the hint's arrow.
void paintBoard(QPainter& p, const QVector<QPixmap>& pictures);
