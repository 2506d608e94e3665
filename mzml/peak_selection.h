#pragma once

#include <cstdint>
#include <vector>

#include <pwiz/data/msdata/MSData.hpp>

#include "processing/peak_filter.h"

// Filtering one open-format spectrum with the rules of its function. A peak is decided on its
// m/z rounded to a 32-bit float, exactly as the raw filter decides the float masses of our raw
// data files; the kept peaks keep their values in every array (a 64-bit m/z stays the
// original 64-bit value).

// The spectrum's MS level, or 0 when it has none.
std::int32_t MsLevelOf(const pwiz::msdata::Spectrum& spectrum);

// Buffers reused from spectrum to spectrum, so filtering allocates only while spectra grow.
struct PeakScratch {
    std::vector<float> masses;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint8_t> noBytes;
    std::vector<float> keptMasses;
    std::vector<std::uint32_t> keptIndices;
    std::vector<std::uint8_t> keptBytes;
};

struct PeakCounts {
    std::uint64_t read = 0;
    std::uint64_t kept = 0;
};

// Keeps the peaks `filter` keeps, in order, in every array of the spectrum (m/z, intensity
// and any other per-peak array), and sets the default array length. When peaks were removed,
// the summary values the spectrum states about its peaks (total ion current, base peak,
// lowest and highest observed m/z) are worked out again from the kept peaks, so that they
// describe what the file holds; a spectrum that keeps every peak is left as it was.
// Throws std::runtime_error naming the spectrum when its arrays differ in length.
PeakCounts FilterSpectrumPeaks(pwiz::msdata::Spectrum& spectrum, const FunctionFilter& filter,
                               PeakScratch& scratch);
