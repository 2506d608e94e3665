#include "plot/render/plot_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/render/plot_geometry.h"

namespace {

QColor Mix(const QColor& a, const QColor& b, double t) {
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

struct CellRange {
    double smallest = 0.0;
    double largest = 0.0;
};

CellRange NonEmptyRange(const plot::MassDefectHistogram& h) {
    CellRange range;
    bool any = false;
    for (int r = 0; r < h.Rows(); ++r) {
        for (int c = 0; c < h.Columns(); ++c) {
            for (double v : {h.Kept(c, r), h.Dropped(c, r)}) {
                if (v > 0.0) {
                    range.smallest = any ? std::min(range.smallest, v) : v;
                    range.largest = any ? std::max(range.largest, v) : v;
                    any = true;
                }
            }
        }
    }
    return range;
}

// 1, 2 or 5 times a power of ten, so that about `count` steps span `span`.
double NiceStep(double span, double count) {
    const double raw = span / std::max(count, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw)
            return m * power;
    }
    return 10.0 * power;
}

QString Number(double value, double step) {
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return QString::number(value, 'f', decimals);
}

// The cells as an image of one pixel per cell, empty cells transparent so that the band fill
// shows through; kept cells are drawn over dropped ones where a cell holds both.
QImage DensityImage(const plot::MassDefectHistogram& h, const CellRange& range) {
    QImage image(h.Columns(), h.Rows(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int r = 0; r < h.Rows(); ++r) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(h.Rows() - 1 - r));
        for (int c = 0; c < h.Columns(); ++c) {
            const double kept = h.Kept(c, r);
            const double dropped = h.Dropped(c, r);
            if (kept > 0.0) {
                line[c] = CellColour(kept, range.smallest, range.largest, true).rgba();
            } else if (dropped > 0.0) {
                line[c] = CellColour(dropped, range.smallest, range.largest, false).rgba();
            }
        }
    }
    return image;
}

void PaintAxes(QPainter& painter, const PlotGeometry& g, const plot::AcquisitionPlot& plot,
               const QFont& font) {
    const QRectF area = g.Area();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);

    const double xStep = NiceStep(g.MassHigh() - g.MassLow(), area.width() / 90.0);
    for (double m = std::ceil(g.MassLow() / xStep) * xStep; m <= g.MassHigh() + 1e-9; m += xStep) {
        const double x = g.X(m);
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 5));
        const QString label = Number(m, xStep);
        painter.drawText(
            QPointF(x - metrics.horizontalAdvance(label) / 2, area.bottom() + 7 + metrics.ascent()),
            label);
    }
    for (int i = 0; i <= 10; ++i) {
        const double defect = i / 10.0;
        const double y = g.Y(defect);
        painter.drawLine(QPointF(area.left() - 5, y), QPointF(area.left(), y));
        const QString label = Number(defect, 0.1);
        painter.drawText(QPointF(area.left() - 8 - metrics.horizontalAdvance(label),
                                 y + metrics.ascent() / 2 - 1),
                         label);
    }
    const QString xName = QStringLiteral("mass (Da)");
    painter.drawText(QPointF(area.center().x() - metrics.horizontalAdvance(xName) / 2,
                             area.bottom() + 12 + 2 * metrics.height()),
                     xName);
    const QString yName = plot.kendrick ? QStringLiteral("Kendrick mass defect, base %1")
                                              .arg(QString::fromStdString(plot.kendrick->formula))
                                        : QStringLiteral("mass defect (Da)");
    painter.save();
    painter.translate(area.left() - 44 - metrics.descent(), area.center().y());
    painter.rotate(-90);
    painter.drawText(QPointF(-metrics.horizontalAdvance(yName) / 2, 0), yName);
    painter.restore();
}

void PaintLegend(QPainter& painter, const PlotGeometry& g, const CellRange& range,
                 const plot::AcquisitionPlot& plot, const QFont& font) {
    const QRectF area = g.Area();
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    const double barWidth = 14;
    const double barHeight = std::min(area.height() / 2 - 30, 180.0);
    const QString unit = plot.histogram->Weight() == plot::PeakWeight::kCount
                             ? QStringLiteral("peaks")
                             : QStringLiteral("intensity");
    double top = area.top();
    for (bool kept : {true, false}) {
        const double left = area.right() + 18;
        painter.setPen(Qt::black);
        painter.drawText(QPointF(left, top + metrics.ascent()),
                         (kept ? QStringLiteral("kept ") : QStringLiteral("dropped ")) + unit);
        const double barTop = top + metrics.height() + 4;
        if (range.largest > 0.0 && barHeight > 4) {
            // The colour is linear in the log of the value, so a linear gradient is the scale.
            const double steps = std::floor(barHeight);
            QLinearGradient gradient(QPointF(0, barTop), QPointF(0, barTop + steps));
            gradient.setColorAt(0.0,
                                CellColour(range.largest, range.smallest, range.largest, kept));
            gradient.setColorAt(1.0,
                                CellColour(range.smallest, range.smallest, range.largest, kept));
            painter.fillRect(QRectF(left, barTop, barWidth, steps), gradient);
            painter.setPen(Qt::black);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(left, barTop, barWidth, steps));
            auto label = [&](double value, double y) {
                painter.drawText(QPointF(left + barWidth + 5, y + metrics.ascent() / 2 - 1),
                                 QString::number(value, 'g', 3));
            };
            label(range.largest, barTop);
            if (range.largest > range.smallest) {
                label(std::sqrt(range.largest * range.smallest), barTop + steps / 2.0);
                label(range.smallest, barTop + steps);
            }
        }
        top = barTop + barHeight + 28;
    }
    if (!plot.bands.empty() && barHeight > 4) {
        const double left = area.right() + 18;
        const QRectF swatch(left, top, barWidth, 10);
        painter.fillRect(swatch, kPlotBackground);
        painter.fillRect(swatch, kBandFill);
        painter.setPen(QPen(kBandOutline, 1.5));
        painter.drawRect(swatch);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(left + barWidth + 5, top + metrics.ascent() - 1),
                         QStringLiteral("rule window"));
    }
}

}  // namespace

QColor CellColour(double value, double smallest, double largest, bool kept) {
    double t = 1.0;
    if (largest > smallest && value > 0.0) {
        t = std::log(value / smallest) / std::log(largest / smallest);
        t = std::clamp(t, 0.0, 1.0);
    }
    return kept ? Mix(kKeptLight, kKeptDark, t) : Mix(kDroppedLight, kDroppedDark, t);
}

void PaintPlot(QPainter& painter, const plot::AcquisitionPlot& plot, QSize size) {
    const plot::MassDefectHistogram& h = *plot.histogram;
    const PlotGeometry g(size, h);
    const QRectF area = g.Area();
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), kPlotBackground);

    std::vector<QRectF> bands;
    for (const plot::RuleBand& band : plot.bands) {
        const double left = std::max(g.X(band.massLow), area.left());
        const double right = std::min(g.X(band.massHigh), area.right());
        if (left < right) {
            bands.emplace_back(QPointF(left, g.Y(band.defectHigh)),
                               QPointF(right, g.Y(band.defectLow)));
        }
    }
    for (const QRectF& band : bands) {
        painter.fillRect(band, kBandFill);
    }

    const CellRange range = NonEmptyRange(h);
    if (range.largest > 0.0) {
        const double width = (h.MassHigh() - h.MassLow()) / h.Columns();
        const QRectF target(QPointF(g.X(h.MassLow()), area.top()),
                            QPointF(g.X(h.MassLow() + width * h.Columns()), area.bottom()));
        painter.save();
        painter.setClipRect(area);
        painter.drawImage(target, DensityImage(h, range));
        painter.restore();
    }

    painter.setPen(QPen(kBandOutline, 1.5));
    painter.setBrush(Qt::NoBrush);
    for (const QRectF& band : bands) {
        painter.drawRect(band);
    }

    QFont font = painter.font();
    font.setPixelSize(std::clamp(size.height() / 60, 10, 16));
    PaintAxes(painter, g, plot, font);
    PaintLegend(painter, g, range, plot, font);

    QFont titleFont = font;
    titleFont.setPixelSize(font.pixelSize() + 3);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(titleFont);
    painter.drawText(QPointF(area.left(), (area.top() - metrics.height()) / 2 + metrics.ascent()),
                     QString::fromStdString(plot::PlotSummary(plot)));
}

QImage RenderPlotImage(const plot::AcquisitionPlot& plot, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintPlot(painter, plot, size);
    painter.end();
    return image;
}
