#pragma once

#include <QRectF>
#include <QSize>

#include "plot/mass_defect_histogram.h"

// Where things go on a plot image: the plot area inside the margins (axes, title, legend) and
// the mapping of a mass and a defect to a point of the image. Tests probe pixels through it.
class PlotGeometry {
  public:
    // The mass axis shown for `histogram`: its fixed range, or the columns from the lowest to
    // the highest binned mass when it chose its own range.
    PlotGeometry(QSize image, const plot::MassDefectHistogram& histogram);

    // The plot area of an image of this size; a histogram with one cell per pixel of it is as
    // fine as the image can show.
    static QRect AreaFor(QSize image);

    QRectF Area() const { return area_; }
    double MassLow() const { return massLow_; }
    double MassHigh() const { return massHigh_; }
    double X(double mass) const;
    double Y(double defect) const;  // defect 0 at the bottom, 1 at the top

  private:
    QRectF area_;
    double massLow_;
    double massHigh_;
};
