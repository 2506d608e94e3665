#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSize>

#include "plot/acquisition_plot.h"

// Draws a binned acquisition: the density of peaks on a logarithmic colour scale, kept peaks
// in a warm map and dropped ones in a cold grey one, each with its legend; the rule bands
// lightly filled beneath the peaks and outlined above them; axes with ticks and units; and a
// title with the file, the function and the peak counts.

// The colours, so that tests can tell what a pixel shows.
inline const QColor kPlotBackground{255, 255, 255};
inline const QColor kBandFill{40, 110, 220, 48};
inline const QColor kBandOutline{20, 80, 200};
// Kept cells run from the light to the dark end of their map as they grow.
inline const QColor kKeptLight{255, 214, 102};
inline const QColor kKeptDark{178, 24, 43};
inline const QColor kDroppedLight{196, 196, 204};
inline const QColor kDroppedDark{40, 40, 56};

// The colour of a cell holding `value`, on a log scale from `smallest` to `largest` (the
// smallest and largest non-empty cells of the plot).
QColor CellColour(double value, double smallest, double largest, bool kept);

void PaintPlot(QPainter& painter, const plot::AcquisitionPlot& plot, QSize size);
QImage RenderPlotImage(const plot::AcquisitionPlot& plot, QSize size);
