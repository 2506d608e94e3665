#pragma once

#include <QSize>
#include <QString>

#include "plot/acquisition_plot.h"

// Writes the plot to `path`: a PNG, or an SVG (the peaks as an embedded image, the bands, axes
// and text as vector shapes), told by the name's extension (".png" or ".svg", any case).
// False with `error` naming the file and what went wrong.
bool SavePlot(const QString& path, const plot::AcquisitionPlot& plot, QSize size, QString& error);

// True when `path` ends in an extension SavePlot knows.
bool IsPlotFileName(const QString& path);
