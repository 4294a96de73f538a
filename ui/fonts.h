// The program's fonts, chosen from what a Debian desktop has.
#pragma once

#include <QFont>

// A fixed-pitch face: the move lists and texts line up in columns.
QFont fixedPitchFont(int pixelSize, bool bold = false);
// A heavy sans-serif face for the clock figures.
QFont heavyFont(int pixelSize);
