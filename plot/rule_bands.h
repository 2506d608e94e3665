#pragma once

#include <cstdint>
#include <vector>

#include "processing/peak_filter.h"

namespace plot {

// The rules of one function as shapes on the mass/mass-defect plane, taken from the bounds
// FunctionFilter itself works out, so that what is drawn is what runs.
//
// A rule keeps masses in [massLow, massHigh) whose defect f lies strictly inside its window.
// An ordinary window (lower <= upper) is one band, lower < f < upper. A window that wraps
// past the whole mass (lower > upper) is two: lower < f < 1 and 0 <= f < upper. Bands are
// clipped to the defect axis [0, 1]; a window that holds no defect of that axis gives no band.
struct RuleBand {
    int rule = 0;  // index into FunctionFilter::Bounds(), in rule order
    double massLow = 0.0;
    double massHigh = 0.0;
    double defectLow = 0.0;
    double defectHigh = 0.0;
    bool includesDefectLow =
        false;  // only the lower half of a wrapping window starts at 0 inclusive

    // True when the band holds the point; a point inside a band is a peak the filter keeps.
    bool Contains(double mass, double defect) const;
};

std::vector<RuleBand> RuleBands(const processing::FunctionFilter& filter);

}  // namespace plot
