#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rawsynth/synth_options.h"

namespace rawsynth {

// The peaks of one synthetic scan. The vectors keep their capacity from scan to scan, so a
// whole acquisition is generated without an allocation per scan or per peak.
struct SynthScan {
    std::array<std::uint32_t, 6> header{};  // the scan header words; 0, 1 and 5 are 0 or 1
    std::vector<float> masses;              // ascending, in [kSynthLowMass, kSynthHighMass)
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> peakBytes;
};

inline constexpr double kSynthLowMass = 50.0;
inline constexpr double kSynthHighMass = 1200.0;
// Organic molecules carry a mass defect that grows with the mass (mostly hydrogen); the
// generator places most peaks near this line and the rest uniformly as noise.
inline constexpr double kSynthDefectPerDalton = 0.00048;
inline constexpr double kSynthDefectScatter = 0.06;

// Fills `scan` with scan `scan` (from 1) of function `function` (from 1). Depends only on the
// options' seed and peak count and on the two numbers.
void GenerateSynthScan(const SynthOptions& options, std::uint32_t function, std::uint32_t scan,
                       SynthScan& out);

}  // namespace rawsynth
