#include "ui/boardarea.h"

#include <algorithm>

#include "game/boardview.h"

namespace {
constexpr int gap = 6; // between the board and the parts beside it
}

BoardArea::BoardArea(QWidget* parent) : QWidget(parent) {}

void BoardArea::setParts(QWidget* evaluationBar, QWidget* boardWidget, QWidget* setupPanel)
{
    bar = evaluationBar;
    board = boardWidget;
    panel = setupPanel;
}

int BoardArea::barWidth(int boardSide) const { return std::clamp(boardSide / 32, 10, 24); }

int BoardArea::besideBoard(int boardSide) const
{
    int width = 0;
    if (bar && !bar->isHidden()) width += barWidth(boardSide) + gap;
    if (panel && !panel->isHidden()) width += panel->width() + gap;
    return width;
}

QSize BoardArea::sizeForBoard(int boardSide) const { return {boardSide + besideBoard(boardSide), boardSide}; }

void BoardArea::resizeEvent(QResizeEvent*) { arrange(); }

void BoardArea::arrange()
{
    if (!board) return;
    const int before = cellSize();
    // The bar's width depends on the board's side: take it for the height first.
    int side = std::min(height(), width() - besideBoard(height()));
    side = std::min(side, width() - besideBoard(side));
    side = fitBoard(std::max(side, 8 * minimumCell));
    const int total = side + besideBoard(side);
    int x = std::max(0, (width() - total) / 2);
    const int y = std::max(0, (height() - side) / 2);
    if (bar && !bar->isHidden()) {
        bar->setGeometry(x, y, barWidth(side), side);
        x += barWidth(side) + gap;
    }
    board->setGeometry(x, y, side, side);
    x += side + gap;
    if (panel && !panel->isHidden()) panel->move(x, y);
    if (cellSize() != before) emit boardResized();
    board->update();
}
