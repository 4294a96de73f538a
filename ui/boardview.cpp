#include "ui/boardview.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "engine/engine.h"
#include "game/hint.h"
#include "game/settings.h"
#include "ui/artwork.h"

const QColor changedSquareColour(255, 132, 241);
const QColor hintArrowColour(40, 170, 70, 200);

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
    // Closed rectangles through the outer pixel rings: two up to the large board, more
    // on a larger one so that the frame stays as visible.
    const int rings = std::max(2, cell / 20);
    for (int k = 0; k < rings; ++k) p.drawRect(x0 + k, y0 + k, cell - 1 - 2 * k, cell - 1 - 2 * k);
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
    // The letters grow with the board: the window's 11 pixels at the small board's margin.
    QFont font = p.font();
    font.setPixelSize(std::max(8, m * 11 / 13));
    p.setFont(font);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    const int inset = std::max(1, m * 3 / 13);
    for (int r = 0; r < 8; ++r) {
        const QString digit = QString::number(boardView.rotated ? r + 1 : 8 - r);
        p.drawText(QRect(inset, m + cell / 2 + r * cell, cell, cell), flags, digit);
    }
    for (int f = 0; f < 8; ++f) {
        const QChar letter(boardView.rotated ? 'h' - f : 'a' + f);
        p.drawText(QRect(m + cell / 2 + f * cell, m + b, cell, cell), flags, QString(letter));
    }
}

QPointF pictureSquareCentre(int pictureIndex)
{
    const int file = pictureIndex % 8, rank = pictureIndex / 8;
    const int cell = cellSize();
    return QPointF(squareCorner(file, 7 - rank)) + QPointF(cell / 2.0, cell / 2.0);
}

// The hint: a broad arrow from the move's first square to its last.
void paintHintArrow(QPainter& p, const HintArrow& arrow)
{
    const QPointF from = pictureSquareCentre(arrow.from), to = pictureSquareCentre(arrow.to);
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    if (length < 1) return;
    const double cell = cellSize();
    const QPointF unit = along / length, across(-unit.y(), unit.x());
    const double shaft = cell * 0.09, head = cell * 0.26, headLength = cell * 0.38;
    const QPointF start = from + unit * (cell * 0.2), neck = to - unit * headLength;
    QPainterPath path(start + across * shaft);
    path.lineTo(neck + across * shaft);
    path.lineTo(neck + across * head);
    path.lineTo(to);
    path.lineTo(neck - across * head);
    path.lineTo(neck - across * shaft);
    path.lineTo(start - across * shaft);
    path.closeSubpath();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(10, 80, 30), std::max(1.0, cell / 40)));
    p.setBrush(hintArrowColour);
    p.drawPath(path);
    p.restore();
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
            if (showMove && c != previousBoardPicture[index]) outlineSquare(p, corner, cell);
        }
    }
    if (marksShown) paintMarks(p);
    if (const auto arrow = hintArrow()) paintHintArrow(p, *arrow);
}
