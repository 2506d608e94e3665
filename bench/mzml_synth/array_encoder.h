#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "bench/mzml_synth/synth_options.h"
#include "bench/mzml_synth/synth_output.h"

struct z_stream_s;

// Turns the bytes of one binary array into its stored form: as they are, or one zlib stream.
// Each encoder keeps its zlib state and buffers between arrays; one encoder per thread.
class ArrayEncoder {
  public:
    // `level` 1 to 9 for deflate at that level, kArrayHuffmanOnly for Huffman coding alone.
    ArrayEncoder(SynthCompression compression, int level);
    ~ArrayEncoder();
    ArrayEncoder(const ArrayEncoder&) = delete;
    ArrayEncoder& operator=(const ArrayEncoder&) = delete;

    // The stored form of `bytes`: `bytes` itself when uncompressed, else `scratch`, filled.
    std::span<const std::uint8_t> Encode(std::span<const std::uint8_t> bytes,
                                         std::vector<std::uint8_t>& scratch);

  private:
    SynthCompression compression_;
    std::unique_ptr<z_stream_s> zlib_;
};

// Appends the base64 text of stored bytes; returns the number of characters.
std::size_t AppendBase64(std::span<const std::uint8_t> stored, SynthOutput& out);

// The little-endian bytes of an array, as mzML stores them; `scratch` holds them when the
// machine's own order differs.
template <typename T>
std::span<const std::uint8_t> LittleEndianBytes(const std::vector<T>& values,
                                                std::vector<std::uint8_t>& scratch);

// Big-endian ("network") bytes of interleaved m/z and intensity pairs as 64-bit floats, as
// mzXML stores peaks.
std::span<const std::uint8_t> NetworkOrderPairs(const std::vector<double>& mz,
                                                const std::vector<float>& intensity,
                                                std::vector<std::uint8_t>& scratch);
