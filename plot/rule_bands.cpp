#include "plot/rule_bands.h"

#include <algorithm>

namespace plot {

bool RuleBand::Contains(double mass, double defect) const {
    const bool inRange = massLow <= mass && mass < massHigh;
    const bool aboveLow = includesDefectLow ? defect >= defectLow : defect > defectLow;
    return inRange && aboveLow && defect < defectHigh;
}

std::vector<RuleBand> RuleBands(const processing::FunctionFilter& filter) {
    std::vector<RuleBand> bands;
    const auto& bounds = filter.Bounds();
    for (std::size_t i = 0; i < bounds.size(); ++i) {
        const processing::FunctionFilter::RuleBounds& b = bounds[i];
        if (!(b.lowMass < b.highMass)) {
            continue;
        }
        auto add = [&](double low, double high, bool includesLow) {
            // The defect axis of a plotted (non-negative) mass is [0, 1).
            if (low < 0.0) {
                // Every defect of the axis, 0 included, lies above a negative lower bound.
                low = 0.0;
                includesLow = true;
            }
            high = std::min(high, 1.0);
            if (low < high) {
                bands.push_back(
                    {static_cast<int>(i), b.lowMass, b.highMass, low, high, includesLow});
            }
        };
        if (b.wraps) {
            add(b.lower, 1.0, false);
            add(0.0, b.upper, true);
        } else {
            add(b.lower, b.upper, false);
        }
    }
    return bands;
}

}  // namespace plot
