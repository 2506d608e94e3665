#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "params/mass_range_list.h"
#include "plot/acquisition_peaks.h"
#include "plot/kendrick.h"
#include "plot/mass_defect_histogram.h"
#include "plot/rule_bands.h"
#include "processing/peak_filter.h"

namespace plot {

// One acquisition's function binned for a plot, with the rules of that function as bands:
// what the command-line tool and the dialog's plot window both draw.
struct PlotRequest {
    std::string path;
    std::int32_t function = 1;
    params::CMassRangeList rules;
    HistogramSettings grid;  // its kendrick pointer is ignored; see `kendrick`
    std::optional<KendrickBase> kendrick;
    AcquisitionReadSettings read;
};

struct AcquisitionPlot {
    std::string path;
    std::int32_t function = 1;
    std::uint64_t scans = 0;
    std::unique_ptr<KendrickBase> kendrick;  // set for the Kendrick view
    std::unique_ptr<processing::FunctionFilter> filter;
    std::unique_ptr<MassDefectHistogram> histogram;
    // The rule windows; empty in the Kendrick view, where they have no shape.
    std::vector<RuleBand> bands;
    // How many rules the function has (bands can be fewer: empty windows, or none drawn).
    std::size_t functionRules = 0;
};

// Reads and bins. False with `error` naming the file and what went wrong.
bool BinAcquisition(const PlotRequest& request, AcquisitionPlot& plot, std::string& error);

// "example.mzML, function 1: 12,345 peaks, 678 kept" (or "no rules: all kept").
std::string PlotSummary(const AcquisitionPlot& plot);

}  // namespace plot
