#pragma once

#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tools/raw/synth_options.h"

// The synthesized acquisitions every export test runs over: the shapes that change what the
// document holds (statistics or not, empty scans, no scans at all, peak bytes all zero).
struct ExportCase {
    const char* name;
    SynthOptions options;
};

inline std::vector<ExportCase> ExportCases() {
    auto options = [](std::uint32_t functions, std::uint32_t scans, std::uint32_t peaks,
                      bool statistics) {
        SynthOptions o;
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

// A fresh directory for one test, removed with its contents at the end.
class ExportScratch {
  public:
    ExportScratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brevanto-export-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            root_ = pattern;
        }
    }
    ~ExportScratch() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ExportScratch(const ExportScratch&) = delete;
    ExportScratch& operator=(const ExportScratch&) = delete;
    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    std::string Root() const { return root_.string(); }

  private:
    std::filesystem::path root_;
};
