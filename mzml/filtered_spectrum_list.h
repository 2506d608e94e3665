#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include <pwiz/data/msdata/BinaryDataEncoder.hpp>
#include <pwiz/data/msdata/SpectrumListWrapper.hpp>

#include "mzml/peak_selection.h"
#include "params/mass_range_list.h"
#include "processing/run_progress.h"
#include "processing/run_report.h"

// The peak filter as a spectrum list over the input's: the writer pulls spectra one by one,
// each is read, filtered by the rules of its MS level (function 1 = MS1, 2 = MS2, ...) and
// handed on, so only one spectrum is held at a time. Spectra of a level without rules, and
// spectra without an MS level, pass unchanged.
//
// While the writer pulls spectra it also keeps the per-level counts of the run's summary and
// advances the progress bar. Every spectrum is checked against the precision chosen for the
// output (see array_encoding.h): values that a 32-bit array cannot hold exactly stop the write
// with an error rather than being rounded.
class FilteredSpectrumList : public pwiz::msdata::SpectrumListWrapper {
  public:
    // `rules`, `progress` and `encoding` must outlive the list. `processing` becomes the
    // list's default data processing.
    FilteredSpectrumList(const pwiz::msdata::SpectrumListPtr& inner, const CMassRangeList& rules,
                         const pwiz::msdata::BinaryDataEncoder::Config& encoding,
                         const pwiz::msdata::DataProcessingPtr& processing, RunProgress& progress);

    pwiz::msdata::SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override;
    using pwiz::msdata::SpectrumListWrapper::spectrum;

    // The counts so far, one entry per MS level seen, in ascending order.
    std::vector<FunctionSummary> Summary() const;

    // Progress advances by one step per this many spectra; the bar has StepCount() steps.
    std::size_t SpectraPerStep() const { return spectraPerStep; }
    std::uint16_t StepCount() const { return stepCount; }

  private:
    const FunctionFilter* FilterFor(std::int32_t level) const;
    void CheckPrecision(const pwiz::msdata::Spectrum& spectrum) const;

    const CMassRangeList& rules;
    const pwiz::msdata::BinaryDataEncoder::Config& encoding;
    RunProgress& progress;
    std::size_t spectraPerStep = 1;
    std::uint16_t stepCount = 0;

    // The writer calls from one thread; the lock keeps the counts right should it not.
    mutable std::mutex lock;
    mutable std::map<std::int32_t, std::unique_ptr<FunctionFilter>> filters;
    mutable std::map<std::int32_t, FunctionSummary> levels;
    mutable PeakScratch scratch;
    mutable std::size_t spectraDone = 0;
};
