// brevanto-plot: draws the mass defect of an acquisition's peaks with the rule windows.
#include <QGuiApplication>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <iostream>

#include "plot/acquisition_plot.h"
#include "plot/render/plot_file.h"
#include "plot/render/plot_geometry.h"
#include "tools/common/exit_codes.h"
#include "tools/plot/plot_options.h"

namespace {

constexpr int kCellPixels = 2;

// Qt's own chatter about a session it does not need (no runtime directory on a server) is no
// diagnostic of the plot; everything else Qt says still reaches standard error.
void QuietSessionMessages(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR"))) {
        return;
    }
    std::fprintf(stderr, "%s\n",
                 qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
    PlotOptions options;
    const int parsed = ParsePlotOptions(std::vector<std::string>(argv + 1, argv + argc), options,
                                        std::cout, std::cerr);
    if (parsed >= 0) {
        return parsed;
    }
    // The program draws into files only, so it needs no display, whether one exists or not.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(QuietSessionMessages);
    QGuiApplication app(argc, argv);

    const QSize size(options.width, options.height);
    const QRect area = PlotGeometry::AreaFor(size);
    plot::PlotRequest request;
    request.path = options.input;
    request.function = options.function;
    request.rules = options.rules;
    // Cells of two by two pixels: a lone peak stays visible, and a 40 mDa window is still
    // some twenty cells high at the default size.
    request.grid.columns = std::max(area.width() / kCellPixels, 1);
    request.grid.rows = std::max(area.height() / kCellPixels, 1);
    if (options.mass) {
        request.grid.massLow = options.mass->first;
        request.grid.massHigh = options.mass->second;
    }
    request.grid.weight = options.weight;
    request.kendrick = options.kendrick;
    request.read.ignoreChecksums = options.ignoreChecksums;
    request.read.warn = [&options](const std::string& warning) {
        std::fprintf(stderr, "brevanto-plot: warning: %s: %s\n", options.input.c_str(),
                     warning.c_str());
    };
    if (options.kendrick && options.rules.CountForFunction(options.function) > 0) {
        std::fprintf(stderr,
                     "brevanto-plot: note: the rule windows are drawn in the mass-defect view "
                     "only, not over Kendrick mass defects\n");
    }

    plot::AcquisitionPlot plot;
    std::string error;
    if (!plot::BinAcquisition(request, plot, error)) {
        std::fprintf(stderr, "brevanto-plot: %s\n", error.c_str());
        return kExitInputFailed;
    }
    if (const std::uint64_t n = plot.histogram->PeaksUnweighted(); n > 0) {
        std::fprintf(stderr,
                     "brevanto-plot: warning: %s: %llu peaks have no usable intensity (NaN, "
                     "infinite or negative) and weigh nothing in the plot\n",
                     options.input.c_str(), static_cast<unsigned long long>(n));
    }
    QString saveError;
    if (!SavePlot(QString::fromStdString(options.output), plot, size, saveError)) {
        std::fprintf(stderr, "brevanto-plot: %s\n", saveError.toLocal8Bit().constData());
        return kExitInputFailed;
    }
    std::printf("%s -> %s\n", plot::PlotSummary(plot).c_str(), options.output.c_str());
    return kExitOk;
}
