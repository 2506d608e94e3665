#pragma once

#include <cstdint>
#include <string>

#include "bench/mzml_synth/synth_options.h"

// Writing a synthetic LC-MS acquisition as mzML or mzXML: the entry point of
// brevanto_mzml_synth, and of tests that want a realistic open-format file of a given shape.
// The text is a pure function of the options (no clock, no host names), so a test can compare
// the bytes of two runs. See spectrum_generator.h for what the peaks look like.

struct SynthReport {
    std::uint64_t spectra = 0;
    std::uint64_t ms1Spectra = 0;
    std::uint64_t peaks = 0;
    std::uint64_t ms1Peaks = 0;
    std::uint64_t textBytes = 0;  // before --gzip
};

// The number of spectra of a file of about `options.targetBytes` bytes of text: the generator
// is run over a few cycles to learn the bytes per peak and per spectrum, then the layout of
// the acquisition is followed until the estimate reaches the target. At least one spectrum.
std::uint64_t PlanSpectrumCount(const SynthOptions& options);

// Writes the file at `options.output` (under a temporary name, renamed when complete). On
// failure returns false with "<file>: <what went wrong>" in `error`, and leaves no file.
bool WriteSynthFile(const SynthOptions& options, SynthReport& report, std::string& error);
