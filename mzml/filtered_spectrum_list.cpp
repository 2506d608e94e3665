#include "mzml/filtered_spectrum_list.h"

#include <stdexcept>

#include "mzml/array_encoding.h"

namespace {

// The progress bar's resolution: fine enough to move on a large file, few enough calls.
constexpr std::size_t kMaxSteps = 1000;

}  // namespace

FilteredSpectrumList::FilteredSpectrumList(
    const pwiz::msdata::SpectrumListPtr& inner, const CMassRangeList& ruleList,
    const pwiz::msdata::BinaryDataEncoder::Config& outputEncoding,
    const pwiz::msdata::DataProcessingPtr& processing, RunProgress& runProgress)
    : pwiz::msdata::SpectrumListWrapper(inner),
      rules(ruleList),
      encoding(outputEncoding),
      progress(runProgress) {
    dp_ = processing;
    const std::size_t total = inner->size();
    spectraPerStep = std::max<std::size_t>(1, (total + kMaxSteps - 1) / kMaxSteps);
    stepCount = static_cast<std::uint16_t>((total + spectraPerStep - 1) / spectraPerStep);
}

const FunctionFilter* FilteredSpectrumList::FilterFor(std::int32_t level) const {
    if (level <= 0) {
        return nullptr;
    }
    auto& filter = filters[level];
    if (!filter) {
        filter = std::make_unique<FunctionFilter>(rules, level);
    }
    return filter->Empty() ? nullptr : filter.get();
}

void FilteredSpectrumList::CheckPrecision(const pwiz::msdata::Spectrum& spectrum) const {
    for (const auto& array : spectrum.binaryDataArrayPtrs) {
        if (!array) {
            continue;
        }
        auto precision = encoding.precision;
        for (const auto& [kind, override] : encoding.precisionOverrides) {
            if (array->hasCVParam(kind)) {
                precision = override;
            }
        }
        if (precision == pwiz::msdata::BinaryDataEncoder::Precision_32 &&
            !FitsInFloat(array->data)) {
            throw std::runtime_error(
                "spectrum \"" + spectrum.id +
                "\" holds 64-bit values in an array that the file's first spectrum stores "
                "32-bit; files that mix array precisions are not supported");
        }
    }
}

pwiz::msdata::SpectrumPtr FilteredSpectrumList::spectrum(std::size_t index,
                                                         bool getBinaryData) const {
    pwiz::msdata::SpectrumPtr result = inner_->spectrum(index, getBinaryData);
    if (!getBinaryData) {
        return result;
    }
    const std::int32_t level = MsLevelOf(*result);
    const std::lock_guard<std::mutex> guard(lock);
    CheckPrecision(*result);
    FunctionSummary& summary = levels[level];
    summary.function = level;
    ++summary.scans;
    if (const FunctionFilter* filter = FilterFor(level)) {
        const PeakCounts counts = FilterSpectrumPeaks(*result, *filter, scratch);
        summary.peaksRead += counts.read;
        summary.peaksKept += counts.kept;
        summary.filtered = true;
    } else {
        const auto mz = result->getMZArray();
        const std::uint64_t n = mz ? mz->data.size() : result->defaultArrayLength;
        summary.peaksRead += n;
        summary.peaksKept += n;
    }
    ++spectraDone;
    if (spectraDone % spectraPerStep == 0 || spectraDone == inner_->size()) {
        progress.Step();
    }
    return result;
}

std::vector<FunctionSummary> FilteredSpectrumList::Summary() const {
    const std::lock_guard<std::mutex> guard(lock);
    std::vector<FunctionSummary> out;
    for (const auto& [level, summary] : levels) {
        out.push_back(summary);
    }
    return out;
}
