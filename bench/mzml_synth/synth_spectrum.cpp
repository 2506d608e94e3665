#include "bench/mzml_synth/synth_spectrum.h"

void SynthSpectrum::Summarise() {
    totalIonCurrent = 0;
    basePeakMz = 0;
    basePeakIntensity = 0;
    for (std::size_t i = 0; i < mz.size(); ++i) {
        totalIonCurrent += intensity[i];
        if (intensity[i] > basePeakIntensity) {
            basePeakIntensity = intensity[i];
            basePeakMz = mz[i];
        }
    }
}

std::string SynthSpectrumId(std::uint64_t index) {
    return "scan=" + std::to_string(index + 1);
}
