#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Dialog units: layouts are written in units of the dialog font, so that a dialog grows with
// its font. A horizontal unit is a quarter of the font's average character width, a vertical
// unit an eighth of its height.

struct DialogBaseUnits {
    int width;   // average width of the letters A-Z and a-z, rounded to whole pixels
    int height;  // font height (ascent + descent)
};

// The templates ask for 8-point "MS Sans Serif", which Linux does not have. The family is still
// requested first, with the sans-serif style hint, so the font matcher substitutes its
// ordinary sans-serif face (DejaVu Sans on a stock Debian system) at 8 points.
QFont DialogFont();

DialogBaseUnits BaseUnitsOf(const QFont& font);

// value * numerator / denominator in 64-bit arithmetic, rounded half away from zero; -1 for a
// zero denominator.
int MulDiv(int value, int numerator, int denominator);

// x and width scale by width / 4, y and height by height / 8, each rounded on its own.
QRect MapDialogRect(const QRect& dialogUnits, DialogBaseUnits units);
QSize MapDialogSize(const QSize& dialogUnits, DialogBaseUnits units);
