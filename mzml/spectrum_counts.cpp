#include "mzml/spectrum_counts.h"

namespace mzml {

const processing::FunctionFilter* SpectrumCounts::FilterFor(std::int32_t level) {
    if (rules_ == nullptr || level <= 0) {
        return nullptr;
    }
    auto found = filters_.find(level);
    if (found == filters_.end()) {
        auto filter = std::make_unique<processing::FunctionFilter>(*rules_, level);
        if (filter->Empty()) {
            filter.reset();
        }
        found = filters_.emplace(level, std::move(filter)).first;
    }
    return found->second.get();
}

void SpectrumCounts::Count(std::int32_t level, std::uint64_t read, std::uint64_t kept,
                           bool filtered) {
    processing::FunctionSummary& summary = levels_[level];
    summary.function = level;
    ++summary.scans;
    summary.peaksRead += read;
    summary.peaksKept += kept;
    summary.filtered = summary.filtered || filtered;
}

std::vector<processing::FunctionSummary> SpectrumCounts::Summaries() const {
    std::vector<processing::FunctionSummary> result;
    for (const auto& [level, summary] : levels_) {
        result.push_back(summary);
    }
    return result;
}

}  // namespace mzml
