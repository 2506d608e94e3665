#include "plot/acquisition_plot.h"

#include <filesystem>

#include "plot/acquisition_peaks.h"

namespace plot {

namespace {

std::string Grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ",");
    }
    return digits;
}

}  // namespace

bool BinAcquisition(const PlotRequest& request, AcquisitionPlot& plot, std::string& error) {
    plot.path = request.path;
    plot.function = request.function;
    plot.scans = 0;
    plot.kendrick = request.kendrick ? std::make_unique<KendrickBase>(*request.kendrick) : nullptr;
    plot.filter = std::make_unique<processing::FunctionFilter>(request.rules, request.function);
    plot.functionRules = static_cast<std::size_t>(request.rules.CountForFunction(request.function));
    HistogramSettings grid = request.grid;
    grid.kendrick = plot.kendrick.get();
    plot.histogram = std::make_unique<MassDefectHistogram>(grid, *plot.filter);
    plot.bands = plot.kendrick ? std::vector<RuleBand>{} : RuleBands(*plot.filter);
    AcquisitionScanCount counts;
    MassDefectHistogram& histogram = *plot.histogram;
    const bool ok = StreamAcquisitionPeaks(
        request.path, request.function,
        [&histogram](const float* masses, const double* intensities, std::uint32_t n) {
            histogram.Add(masses, intensities, n);
        },
        counts, error, request.read);
    plot.scans = counts.scans;
    return ok;
}

std::string PlotSummary(const AcquisitionPlot& plot) {
    std::string name = std::filesystem::path(plot.path).filename().string();
    if (name.empty()) {
        // "x.raw/" names x.raw.
        name = std::filesystem::path(plot.path).parent_path().filename().string();
    }
    std::string text = name + ", function " + std::to_string(plot.function) + ": " +
                       Grouped(plot.histogram->PeaksRead()) + " peaks";
    if (plot.filter->Empty()) {
        return text + ", no rules: all kept";
    }
    return text + ", " + Grouped(plot.histogram->PeaksKept()) + " kept";
}

}  // namespace plot
