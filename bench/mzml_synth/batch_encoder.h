#pragma once

#include <exception>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "bench/mzml_synth/array_encoder.h"
#include "bench/mzml_synth/spectrum_file_writer.h"

// Compresses the arrays of a batch of spectra on background threads while the caller writes
// the batch before: compression is most of the time of a zlib file, and spectra compress
// independently. Uncompressed arrays need no work and are prepared on the calling thread.
class BatchEncoder {
  public:
    BatchEncoder(const SynthOptions& options, unsigned threads);
    ~BatchEncoder();
    BatchEncoder(const BatchEncoder&) = delete;
    BatchEncoder& operator=(const BatchEncoder&) = delete;

    // Starts filling arrays[i] for spectra[i]. Both stay untouched by the caller until Wait().
    void Start(const SpectrumFileWriter& writer, std::span<const SynthSpectrum> spectra,
               std::span<EncodedArrays> arrays);
    // Waits for the batch started last; rethrows the first failure of any thread.
    void Wait();

  private:
    std::vector<std::unique_ptr<ArrayEncoder>> encoders_;  // one per thread
    std::vector<std::thread> running_;
    std::vector<std::exception_ptr> failures_;
};

// The threads worth using here: the machine's, at most 4; none for uncompressed arrays.
unsigned SynthEncodingThreads(const SynthOptions& options);
