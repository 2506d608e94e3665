#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "rawsynth/synth_options.h"
#include "tests/support/scratch_dir.h"

// The synthesized acquisitions every export test runs over: the shapes that change what the
// document holds (statistics or not, empty scans, no scans at all, peak bytes all zero).
struct ExportCase {
    const char* name;
    rawsynth::SynthOptions options;
};

inline std::vector<ExportCase> ExportCases() {
    auto options = [](std::uint32_t functions, std::uint32_t scans, std::uint32_t peaks,
                      bool statistics) {
        rawsynth::SynthOptions o;
        o.functions = functions;
        o.scans = scans;
        o.peaks = peaks;
        o.statistics = statistics;
        o.seed = 7 + functions * 100 + scans * 10 + peaks;
        return o;
    };
    return {
        {"TwoFunctionsWithStatistics", options(2, 6, 40, true)},
        {"ThreeFunctionsWithoutStatistics", options(3, 2, 25, false)},
        {"OnePeakPerScan", options(1, 4, 1, true)},
        {"EmptyScans", options(2, 3, 0, true)},
        {"NoScans", options(2, 0, 0, true)},
        {"NoFunctions", options(0, 0, 0, true)},
    };
}

inline void PrintTo(const ExportCase& c, std::ostream* out) {
    *out << c.name;
}
inline std::string ExportCaseName(const testing::TestParamInfo<ExportCase>& c) {
    return c.param.name;
}
