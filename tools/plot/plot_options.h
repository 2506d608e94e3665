#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "params/mass_range_list.h"
#include "plot/kendrick.h"
#include "plot/mass_defect_histogram.h"

struct PlotOptions {
    std::string input;
    std::int32_t function = 1;
    params::CMassRangeList rules;
    std::optional<std::pair<double, double>> mass;  // [low, high) Da
    plot::PeakWeight weight = plot::PeakWeight::kCount;
    std::optional<plot::KendrickBase> kendrick;
    int width = 1200;
    int height = 800;
    std::string output;  // .png or .svg
    bool ignoreChecksums = false;
};

// Limits of --size: below them the axes and legends leave no room for the peaks.
inline constexpr int kMinPlotWidth = 400;
inline constexpr int kMinPlotHeight = 300;
inline constexpr int kMaxPlotSide = 16000;

// Parses the command line (without the program name). Returns -1 when the plot is to be
// drawn; otherwise the exit status, with --help or --version written to `out` (0) or the
// usage error to `err` (2).
int ParsePlotOptions(const std::vector<std::string>& args, PlotOptions& options, std::ostream& out,
                     std::ostream& err);
