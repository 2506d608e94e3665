#include "plot/render/plot_file.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QSvgGenerator>

#include "plot/render/plot_painter.h"

namespace {

bool IsSvg(const QString& path) {
    return path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
}

}  // namespace

bool IsPlotFileName(const QString& path) {
    return IsSvg(path) || path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

bool SavePlot(const QString& path, const plot::AcquisitionPlot& plot, QSize size, QString& error) {
    if (!IsPlotFileName(path)) {
        error = path + QStringLiteral(": the name must end in .png or .svg");
        return false;
    }
    if (!IsSvg(path)) {
        QImageWriter writer(path, "png");
        if (!writer.write(RenderPlotImage(plot, size))) {
            error = path + QStringLiteral(": cannot write the picture: ") + writer.errorString();
            return false;
        }
        return true;
    }
    // Opened here, not by the generator, so that a failure to create the file is seen.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = path + QStringLiteral(": cannot write the picture: ") + file.errorString();
        return false;
    }
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QString::fromStdString(plot::PlotSummary(plot)));
    generator.setDescription(QStringLiteral("Mass-defect plot"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        error = path + QStringLiteral(": cannot write the picture");
        return false;
    }
    PaintPlot(painter, plot, size);
    painter.end();
    if (file.error() != QFileDevice::NoError || !file.flush()) {
        error = path + QStringLiteral(": cannot write the picture: ") + file.errorString();
        return false;
    }
    file.close();
    return true;
}
