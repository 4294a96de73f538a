// The board pictures, drawn by code at start-up.
#pragma once

#include <QPixmap>
#include <QVector>

// Picture k of a design (the design's first picture is designBase 0, 6 or 12).
enum PictureKind {
    EmptyDarkSquare = 0,
    LightSquare = 1,
    BlackMan = 2,
    WhiteMan = 3,
    BlackKing = 4,
    WhiteKing = 5,
};

constexpr int picturesPerDesign = 6;
constexpr int designCount = 3;

// 18 square pictures of cell × cell pixels: three designs of six pictures each, drawn for
// a screen of the given device pixel ratio.
QVector<QPixmap> makePictureList(int cell, qreal devicePixelRatio = 1);
