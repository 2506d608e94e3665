#pragma once

#include <memory>
#include <span>
#include <vector>

#include "bench/mzml_synth/array_encoder.h"
#include "bench/mzml_synth/spectrum_file_writer.h"

// Compresses the arrays of a batch of spectra on several threads: compression is most of the
// time of a zlib file, and spectra compress independently. Uncompressed arrays need no work
// and stay on the calling thread.
class BatchEncoder {
  public:
    BatchEncoder(const SynthOptions& options, unsigned threads);

    // Fills arrays[i] for spectra[i]; rethrows the first failure of any thread.
    void Encode(const SpectrumFileWriter& writer, std::span<const SynthSpectrum> spectra,
                std::span<EncodedArrays> arrays);

  private:
    std::vector<std::unique_ptr<ArrayEncoder>> encoders_;  // one per thread
};

// The threads worth using here: the machine's, at most 4.
unsigned SynthEncodingThreads(const SynthOptions& options);
