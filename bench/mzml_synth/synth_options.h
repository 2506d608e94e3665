#pragma once

#include <cstdint>
#include <string>

// What brevanto_mzml_synth writes: one synthetic LC-MS acquisition, fully determined by these
// values (the same options give the same bytes on every run and machine).

enum class SynthFormat { kMzML, kMzXML };
enum class SynthCompression { kNone, kZlib };

constexpr int kArrayHuffmanOnly = 0;

struct SynthOptions {
    std::string output;  // the file to write; replaced only once complete
    SynthFormat format = SynthFormat::kMzML;
    SynthCompression compression = SynthCompression::kZlib;  // of the binary arrays
    bool gzip = false;                                       // the whole file, on top
    std::uint64_t seed = 1;
    // Exactly this many spectra when non-zero; otherwise as many as make the file about
    // `targetBytes` long (its uncompressed text when gzip is on).
    std::uint64_t spectra = 0;
    std::uint64_t targetBytes = 0;
    // Deflate level of the arrays and of --gzip. For the arrays, kArrayHuffmanOnly (the
    // default) skips string matching: see ArrayEncoder.
    int zlibLevel = kArrayHuffmanOnly;
};
