#include "plot/render/plot_geometry.h"

#include <algorithm>

namespace {

// Room for the title above, tick labels and axis names left and below, legends right.
constexpr int kLeft = 78;
constexpr int kRight = 150;
constexpr int kTop = 44;
constexpr int kBottom = 54;

}  // namespace

QRect PlotGeometry::AreaFor(QSize image) {
    return QRect(kLeft, kTop, std::max(image.width() - kLeft - kRight, 1),
                 std::max(image.height() - kTop - kBottom, 1));
}

PlotGeometry::PlotGeometry(QSize image, const plot::MassDefectHistogram& histogram)
    : area_(AreaFor(image)), massLow_(histogram.MassLow()), massHigh_(histogram.MassHigh()) {
    if (histogram.AutoMass() && histogram.PeaksBinned() > 0) {
        const double width = (histogram.MassHigh() - histogram.MassLow()) / histogram.Columns();
        const int first = histogram.ColumnOf(histogram.LowestBinnedMass());
        const int last = histogram.ColumnOf(histogram.HighestBinnedMass());
        massLow_ = histogram.MassLow() + first * width;
        massHigh_ = histogram.MassLow() + (last + 1) * width;
    }
}

double PlotGeometry::X(double mass) const {
    return area_.left() + (mass - massLow_) / (massHigh_ - massLow_) * area_.width();
}

double PlotGeometry::Y(double defect) const {
    return area_.bottom() - defect * area_.height();
}
