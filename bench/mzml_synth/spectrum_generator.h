#pragma once

#include <cstdint>
#include <vector>

#include "bench/mzml_synth/spectrum_layout.h"
#include "bench/mzml_synth/synth_random.h"
#include "bench/mzml_synth/synth_spectrum.h"

// The peaks of a synthetic LC-MS run, spectrum after spectrum.
//
// Compounds elute as Gaussian chromatographic peaks (sigma 3 to 11 s), each an ion of charge 1
// to 3 with an isotope pattern of its size and the mass defect of organic molecules (about
// +0.48 mDa per Da, give or take 30 mDa). An MS1 spectrum holds the isotope peaks of the
// compounds eluting at its time plus noise peaks spread over m/z 100..2000, up to the peak
// count of the layout; each MS2 spectrum that follows fragments one of the strongest compounds
// of that MS1 spectrum.
//
// No m/z lies within kIntegerMargin of a whole number. A mass-defect window that spans
// (0.001, 0.999) then keeps exactly the peaks that a plain m/z range keeps, even after the m/z
// is rounded to a 32-bit float (at most 61 micro-Da off below m/z 2048), so benchmarks can
// compare our mass-defect filter with m/z-range filters of other tools on the same peaks, and
// range bounds on whole numbers never meet a peak.
class SpectrumGenerator {
  public:
    static constexpr double kIntegerMargin = 0.0025;

    explicit SpectrumGenerator(std::uint64_t seed);

    // Fills `spectrum` with the next spectrum of the run, reusing its buffers.
    void Next(SynthSpectrum& spectrum);

  private:
    struct Compound {
        double monoMz;
        double apexSeconds;
        double sigmaSeconds;
        double abundance;
        int charge;
        int isotopes;
        float isotopeShare[6];
    };
    struct Candidate {
        double mz;
        int charge;
        float intensity;
    };

    void AdmitCompounds();
    Compound MakeCompound(double firstSeconds);
    void MakeMs1(const SpectrumShape& shape, SynthSpectrum& spectrum);
    void MakeMs2(const SpectrumShape& shape, SynthSpectrum& spectrum);

    SpectrumLayout layout_;
    SynthRng compoundRng_;
    SynthRng peakRng_;
    double seconds_ = 0;
    std::uint64_t nextIndex_ = 0;
    std::vector<Compound> eluting_;  // ascending monoMz
    Compound upcoming_;              // the next compound to start eluting
    double upcomingStart_ = 0;
    // The strongest ions of the last MS1 spectrum, strongest first, and where they came from.
    std::vector<Candidate> candidates_;
    std::uint64_t lastMs1Index_ = 0;
    std::size_t nextCandidate_ = 0;
    // Scratch buffers of the compound peaks, kept between spectra.
    std::vector<double> compoundMz_;
    std::vector<float> compoundIntensity_;
};
