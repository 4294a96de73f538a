#include "ui/artwork.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace {

// The colours that make one design.
struct Palette {
    QColor lightSquare, lightSquareEdge;
    QColor darkSquare, darkSquareEdge;
    QColor whitePiece, whitePieceShade, whiteRim;
    QColor blackPiece, blackPieceShade, blackRim;
    QColor crown, crownShade, crownOutline;
    bool grain;    // wood grain on the squares
    bool glossy;   // strong highlight on the pieces
    bool stacked;  // pieces drawn as thick discs, kings as two discs
};

const Palette palettes[designCount] = {
    // Classic wood: cream maple and walnut, ivory and ebony pieces, gold crowns.
    {QColor(240, 217, 181), QColor(222, 196, 156), QColor(150, 96, 52), QColor(118, 72, 36),
     QColor(250, 244, 228), QColor(205, 190, 160), QColor(150, 130, 100),
     QColor(62, 58, 56), QColor(20, 18, 18), QColor(0, 0, 0),
     QColor(255, 214, 60), QColor(200, 140, 20), QColor(110, 70, 0), true, false, false},
    // Tournament board: buff and green, flat pieces standing on the board.
    {QColor(238, 232, 204), QColor(220, 212, 178), QColor(70, 120, 78), QColor(50, 92, 58),
     QColor(252, 250, 242), QColor(196, 190, 176), QColor(120, 116, 104),
     QColor(58, 58, 66), QColor(24, 24, 30), QColor(0, 0, 0),
     QColor(255, 186, 40), QColor(214, 110, 0), QColor(100, 40, 0), false, false, true},
    // Plastic: steel-blue and pale grey squares, glossy pieces.
    {QColor(222, 230, 238), QColor(200, 212, 224), QColor(64, 92, 128), QColor(44, 68, 100),
     QColor(255, 255, 255), QColor(200, 204, 212), QColor(140, 146, 160),
     QColor(70, 70, 80), QColor(12, 12, 16), QColor(0, 0, 0),
     QColor(255, 200, 40), QColor(210, 120, 0), QColor(120, 60, 0), false, true, false},
};

void paintSquare(QPainter& p, int cell, const QColor& face, const QColor& edge, bool grain, quint32 seed)
{
    QLinearGradient g(0, 0, cell, cell);
    g.setColorAt(0, face.lighter(104));
    g.setColorAt(1, face.darker(104));
    p.fillRect(0, 0, cell, cell, g);
    if (grain) {
        // A few faint wavy lines read as wood without disturbing the pieces.
        QRandomGenerator rng(seed);
        p.setPen(QPen(edge, 1));
        for (int line = 0; line < cell / 5; ++line) {
            const double y0 = rng.bounded(cell);
            const double amp = 0.6 + rng.bounded(1.4);
            const double phase = rng.bounded(6.28);
            QPainterPath path(QPointF(0, y0));
            for (int x = 2; x <= cell; x += 2)
                path.lineTo(x, y0 + amp * std::sin(phase + x / 7.0));
            QColor c = edge;
            c.setAlpha(60 + rng.bounded(60));
            p.setPen(QPen(c, 1));
            p.drawPath(path);
        }
    }
}

// A three-pointed crown centred at (cx, cy), w wide.
void paintCrown(QPainter& p, double cx, double cy, double w, const Palette& pal)
{
    const double h = w * 0.62;
    const double left = cx - w / 2, top = cy - h / 2;
    QPainterPath crown;
    crown.moveTo(left, top + h);
    crown.lineTo(left, top + h * 0.22);
    crown.lineTo(left + w * 0.27, top + h * 0.58);
    crown.lineTo(left + w * 0.5, top);
    crown.lineTo(left + w * 0.73, top + h * 0.58);
    crown.lineTo(left + w, top + h * 0.22);
    crown.lineTo(left + w, top + h);
    crown.closeSubpath();
    QLinearGradient g(0, top, 0, top + h);
    g.setColorAt(0, pal.crown.lighter(115));
    g.setColorAt(1, pal.crownShade);
    p.setBrush(g);
    p.setPen(QPen(pal.crownOutline, std::max(1.0, w / 16)));
    p.drawPath(crown);
    // Balls on the three points and a band along the base.
    const double r = w * 0.085;
    p.drawEllipse(QPointF(left, top + h * 0.22), r, r);
    p.drawEllipse(QPointF(left + w * 0.5, top), r, r);
    p.drawEllipse(QPointF(left + w, top + h * 0.22), r, r);
    p.drawLine(QPointF(left, top + h * 0.8), QPointF(left + w, top + h * 0.8));
}

void paintDisc(QPainter& p, QPointF centre, double radius, bool white, const Palette& pal)
{
    const QColor face = white ? pal.whitePiece : pal.blackPiece;
    const QColor shade = white ? pal.whitePieceShade : pal.blackPieceShade;
    const QColor rim = white ? pal.whiteRim : pal.blackRim;
    QRadialGradient g(centre.x() - radius * 0.35, centre.y() - radius * 0.4, radius * 1.5);
    g.setColorAt(0, pal.glossy ? face.lighter(white ? 100 : 190) : face);
    g.setColorAt(1, shade);
    p.setBrush(g);
    p.setPen(QPen(rim, std::max(1.0, radius / 12)));
    p.drawEllipse(centre, radius, radius);
    // Turned grooves: one ring a third in, one near the edge.
    QColor groove = white ? shade.darker(112) : face.lighter(150);
    groove.setAlpha(170);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(groove, std::max(1.0, radius / 14)));
    p.drawEllipse(centre, radius * 0.78, radius * 0.78);
    p.drawEllipse(centre, radius * 0.45, radius * 0.45);
    if (pal.glossy) {
        QRadialGradient shine(centre.x() - radius * 0.35, centre.y() - radius * 0.45, radius * 0.55);
        shine.setColorAt(0, QColor(255, 255, 255, 200));
        shine.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shine);
        p.drawEllipse(centre, radius, radius);
    }
}

// A thick disc: a darker side under the face.
void paintStandingDisc(QPainter& p, QPointF centre, double radius, double thickness, bool white,
                       const Palette& pal)
{
    const QColor side = (white ? pal.whitePieceShade : pal.blackPieceShade).darker(white ? 115 : 100);
    p.setBrush(side);
    p.setPen(QPen(white ? pal.whiteRim : pal.blackRim, std::max(1.0, radius / 12)));
    p.drawEllipse(QPointF(centre.x(), centre.y() + thickness), radius, radius);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(centre.x() - radius + 0.5, centre.y(), 2 * radius - 1, thickness));
    paintDisc(p, centre, radius, white, pal);
}

void paintPiece(QPainter& p, int cell, bool white, bool king, const Palette& pal)
{
    const double radius = cell * 0.40;
    QPointF centre(cell / 2.0, cell / 2.0);
    if (pal.stacked) {
        const double thickness = cell * 0.06;
        centre.ry() -= thickness;
        if (king) {
            // The traditional king: a second piece set on top of the first.
            centre.ry() += thickness;
            paintStandingDisc(p, centre + QPointF(0, thickness * 0.5), radius, thickness, white, pal);
            centre.ry() -= thickness * 1.6;
        }
        paintStandingDisc(p, centre, radius, thickness, white, pal);
    } else {
        // A soft shadow lifts the piece off the square.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawEllipse(centre + QPointF(cell * 0.03, cell * 0.05), radius, radius);
        paintDisc(p, centre, radius, white, pal);
    }
    if (king) paintCrown(p, centre.x(), centre.y() + cell * 0.01, radius * 1.05, pal);
}

QPixmap makePicture(int cell, int design, int kind)
{
    const Palette& pal = palettes[design];
    QImage image(cell, cell, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == LightSquare) {
        paintSquare(p, cell, pal.lightSquare, pal.lightSquareEdge, pal.grain, 7 + design);
    } else {
        paintSquare(p, cell, pal.darkSquare, pal.darkSquareEdge, pal.grain, 11 + design);
        if (kind != EmptyDarkSquare) {
            const bool white = kind == WhiteMan || kind == WhiteKing;
            const bool king = kind == BlackKing || kind == WhiteKing;
            paintPiece(p, cell, white, king, pal);
        }
    }
    p.end();
    return QPixmap::fromImage(image);
}

} // namespace

QVector<QPixmap> makePictureList(int cell, qreal devicePixelRatio)
{
    // Drawn in device pixels, so that a high-density screen shows them sharp.
    const int pixels = qRound(cell * devicePixelRatio);
    QVector<QPixmap> list;
    for (int design = 0; design < designCount; ++design)
        for (int kind = 0; kind < picturesPerDesign; ++kind) {
            QPixmap picture = makePicture(pixels, design, kind);
            picture.setDevicePixelRatio(devicePixelRatio);
            list.push_back(picture);
        }
    return list;
}
