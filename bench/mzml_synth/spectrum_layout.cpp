#include "bench/mzml_synth/spectrum_layout.h"

SpectrumLayout::SpectrumLayout(std::uint64_t seed) : rng_(SynthRng::Stream(seed, 1)) {}

SpectrumShape SpectrumLayout::Next() {
    SpectrumShape shape;
    if (ms2Left_ > 0) {
        --ms2Left_;
        shape.msLevel = 2;
        shape.peaks = rng_.Between(kMs2MinPeaks, kMs2MaxPeaks);
        return shape;
    }
    shape.msLevel = 1;
    shape.peaks = rng_.Between(kMs1MinPeaks, kMs1MaxPeaks);
    shape.followingMs2 = rng_.Between(4, 10);
    ms2Left_ = shape.followingMs2;
    return shape;
}
