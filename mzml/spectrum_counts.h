#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "params/mass_range_list.h"
#include "processing/peak_filter.h"
#include "processing/run_report.h"

namespace mzml {

// Per MS level: the filter of the level and what its spectra gave.
class SpectrumCounts {
  public:
    explicit SpectrumCounts(const params::CMassRangeList* rules) : rules_(rules) {}

    // The filter of `level`, or null when the level has no rules (or there are no rules).
    const processing::FunctionFilter* FilterFor(std::int32_t level);

    void Count(std::int32_t level, std::uint64_t read, std::uint64_t kept, bool filtered);

    std::vector<processing::FunctionSummary> Summaries() const;

    // The user parameters of the run, as the pass meets them (mzML).
    std::vector<std::pair<std::string, std::string>> runUserParams;

  private:
    const params::CMassRangeList* rules_;
    std::map<std::int32_t, std::unique_ptr<processing::FunctionFilter>> filters_;
    std::map<std::int32_t, processing::FunctionSummary> levels_;
};

}  // namespace mzml
