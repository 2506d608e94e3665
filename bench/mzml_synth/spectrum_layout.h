#pragma once

#include <cstdint>

#include "bench/mzml_synth/synth_random.h"

// The shape of the acquisition apart from its peaks: a data-dependent cycle of one MS1
// spectrum and 4 to 10 MS2 spectra of its strongest ions, 2,000 to 5,000 peaks per MS1 and 100
// to 500 per MS2. Drawn from its own stream, so the size of a file can be planned by running
// the layout alone.

struct SpectrumShape {
    int msLevel = 1;
    std::uint32_t peaks = 0;
    std::uint32_t followingMs2 = 0;  // MS1 only: how many MS2 spectra its cycle holds
};

class SpectrumLayout {
  public:
    static constexpr std::uint32_t kMs1MinPeaks = 2000;
    static constexpr std::uint32_t kMs1MaxPeaks = 5000;
    static constexpr std::uint32_t kMs2MinPeaks = 100;
    static constexpr std::uint32_t kMs2MaxPeaks = 500;

    explicit SpectrumLayout(std::uint64_t seed);

    SpectrumShape Next();

  private:
    SynthRng rng_;
    std::uint32_t ms2Left_ = 0;
};
