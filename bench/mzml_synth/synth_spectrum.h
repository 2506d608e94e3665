#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One generated spectrum, as the writers need it. Its buffers are reused from one spectrum to
// the next, so a run allocates only while the largest spectrum grows them.

struct SynthPrecursor {
    std::uint64_t spectrumIndex = 0;  // the MS1 spectrum the ion was picked from
    double mz = 0;
    int charge = 1;
    float intensity = 0;
};

struct SynthSpectrum {
    std::uint64_t index = 0;  // 0-based position in the file; its id is "scan=<index + 1>"
    int msLevel = 1;
    double startTimeMinutes = 0;
    double scanWindowLow = 0;
    double scanWindowHigh = 0;
    std::vector<double> mz;  // ascending
    std::vector<float> intensity;
    SynthPrecursor precursor;  // MS2 only

    // Summaries of the peaks, filled by Summarise().
    double totalIonCurrent = 0;
    double basePeakMz = 0;
    float basePeakIntensity = 0;

    void Summarise();
};

// The native id of the spectrum at a 0-based index ("scan number only" format).
std::string SynthSpectrumId(std::uint64_t index);
