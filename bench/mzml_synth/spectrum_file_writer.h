#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "bench/mzml_synth/array_encoder.h"
#include "bench/mzml_synth/synth_options.h"
#include "bench/mzml_synth/synth_output.h"
#include "bench/mzml_synth/synth_spectrum.h"

// The stored bytes of the binary arrays of one spectrum, prepared apart from its text so that
// several threads can compress the spectra of a batch at once. Buffers are reused.
struct EncodedArrays {
    static constexpr int kMaxArrays = 2;
    int count = 0;
    std::span<const std::uint8_t> stored[kMaxArrays];
    std::vector<std::uint8_t> ordered[kMaxArrays];  // the bytes in the file's byte order
    std::vector<std::uint8_t> packed[kMaxArrays];   // their zlib stream
};

// Writes one generated acquisition as text to a SynthOutput: the header, then each spectrum
// as it comes, then the closing parts (chromatograms, index, checksum).
class SpectrumFileWriter {
  public:
    virtual ~SpectrumFileWriter() = default;

    // `spectrumCount` is the number of Write() calls that follow; headers state it.
    virtual void Begin(std::uint64_t spectrumCount) = 0;
    // Prepares the arrays of a spectrum. Touches nothing but its arguments, so threads may
    // call it at once for different spectra.
    virtual void Encode(const SynthSpectrum& spectrum, ArrayEncoder& encoder,
                        EncodedArrays& arrays) const = 0;
    virtual void Write(const SynthSpectrum& spectrum, const EncodedArrays& arrays) = 0;
    virtual void End() = 0;

    // Base64 characters of the binary arrays written so far.
    virtual std::uint64_t BinaryTextBytes() const = 0;
};

// Indexed mzML 1.1: 64-bit m/z and 32-bit intensity arrays, a TIC chromatogram of the MS1
// spectra, an offset index of every spectrum and chromatogram, and the SHA-1 file checksum.
std::unique_ptr<SpectrumFileWriter> MakeMzmlWriter(SynthOutput& out, const SynthOptions& options);

// mzXML 3.2: peaks as network-order 64-bit m/z-intensity pairs, a scan index, indexOffset and
// the sha1 of the file.
std::unique_ptr<SpectrumFileWriter> MakeMzxmlWriter(SynthOutput& out, const SynthOptions& options);
