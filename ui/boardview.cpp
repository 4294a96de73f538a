#include "ui/boardview.h"

#include <QColor>
#include <QPainter>

#include "engine/engine.h"
#include "game/hint.h"
#include "game/settings.h"
#include "ui/artwork.h"

const QColor changedSquareColour(255, 132, 241);

QPoint squareCorner(int i, int j)
{
    const int cell = cellSize();
    const int mx = boardView.marginX, my = boardView.marginY;
    if (boardView.rotated) return {mx + (7 - i) * cell, my + (7 - j) * cell};
    return {mx + i * cell, my + j * cell};
}

QSize boardClientSize()
{
    const int side = 8 * cellSize() + 2 * boardView.marginX;
    return {side, side};
}

namespace {

int pictureFor(char c, int i, int j)
{
    switch (c) {
    case 'B': return BlackKing;
    case 'W': return WhiteKing;
    case 'b': return BlackMan;
    case 'w': return WhiteMan;
    default: return (i + j) % 2 == 1 ? EmptyDarkSquare : LightSquare;
    }
}

void outlineSquare(QPainter& p, QPoint corner, int cell)
{
    p.setPen(QPen(changedSquareColour, 1));
    p.setBrush(Qt::NoBrush);
    const int x0 = corner.x(), y0 = corner.y();
    // Closed rectangles through the outer and the next inner pixel ring.
    p.drawRect(x0, y0, cell - 1, cell - 1);
    p.drawRect(x0 + 1, y0 + 1, cell - 3, cell - 3);
}

// A rectangle given by its left, top, right and bottom edges, right and bottom exclusive.
void fillEdges(QPainter& p, int left, int top, int right, int bottom, const QColor& c)
{
    p.fillRect(QRect(left, top, right - left, bottom - top), c);
}

void paintMarks(QPainter& p)
{
    const int cell = cellSize(), m = boardView.marginX, b = 8 * cell;
    const QColor olive(128, 128, 0);
    fillEdges(p, 1, 1, 2 * m + b - 1, m, olive);
    fillEdges(p, 1, 1, m, 2 * m + b, olive);
    fillEdges(p, m - 1, b + m - 1, 2 * m + b - 1, 2 * m + b, olive);
    fillEdges(p, b + m - 1, m - 1, 2 * m + b - 1, 2 * m + b, olive);
    p.setPen(Qt::black);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    for (int r = 0; r < 8; ++r) {
        const QString digit = QString::number(boardView.rotated ? r + 1 : 8 - r);
        p.drawText(QRect(3, m + cell / 2 + r * cell, cell, cell), flags, digit);
    }
    for (int f = 0; f < 8; ++f) {
        const QChar letter(boardView.rotated ? 'h' - f : 'a' + f);
        p.drawText(QRect(m + cell / 2 + f * cell, m + b, cell, cell), flags, QString(letter));
    }
}

} // namespace

void paintBoard(QPainter& p, const QVector<QPixmap>& pictures)
{
    const int cell = cellSize();
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            const int index = (7 - j) * 8 + i;
            const char c = boardPicture[index];
            const QPoint corner = squareCorner(i, j);
            p.drawPixmap(corner, pictures[designBase + pictureFor(c, i, j)]);
            if ((showMove && c != previousBoardPicture[index]) || hintOutlines(index)) outlineSquare(p, corner, cell);
        }
    }
    if (marksShown) paintMarks(p);
}
