#include "bench/mzml_synth/array_encoder.h"

#include <zlib.h>

#include <bit>
#include <cstring>
#include <stdexcept>

#include "bench/mzml_synth/base64_encoder.h"

namespace {

template <typename T>
void StoreSwapped(T value, std::uint8_t* out) {
    std::uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out[i] = bytes[sizeof(T) - 1 - i];
    }
}

}  // namespace

ArrayEncoder::ArrayEncoder(SynthCompression compression, int level) : compression_(compression) {
    if (compression_ == SynthCompression::kZlib) {
        zlib_ = std::make_unique<z_stream_s>();
        // Float arrays hold almost no repeated strings: LZ77 matching at level 1 costs half the
        // time of the whole file for about 1% of size. Huffman coding alone gives what a
        // reader meets in real files, inflating every byte, and lets 1 GiB be written in
        // seconds. An explicit level asks for the full deflate.
        const int strategy = level == kArrayHuffmanOnly ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY;
        const int deflateLevel = level == kArrayHuffmanOnly ? 1 : level;
        if (deflateInit2(zlib_.get(), deflateLevel, Z_DEFLATED, 15, 8, strategy) != Z_OK) {
            throw std::runtime_error("cannot start zlib compression");
        }
    }
}

ArrayEncoder::~ArrayEncoder() {
    if (zlib_) {
        deflateEnd(zlib_.get());
    }
}

std::span<const std::uint8_t> ArrayEncoder::Encode(std::span<const std::uint8_t> bytes,
                                                   std::vector<std::uint8_t>& scratch) {
    if (compression_ == SynthCompression::kNone) {
        return bytes;
    }
    z_stream_s& z = *zlib_;
    deflateReset(&z);
    const uLong bound = deflateBound(&z, static_cast<uLong>(bytes.size()));
    if (scratch.size() < bound) {
        scratch.resize(bound);
    }
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = scratch.data();
    z.avail_out = static_cast<uInt>(scratch.size());
    // The buffer holds deflateBound bytes, so one call always finishes the stream.
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) {
        throw std::runtime_error("zlib compression did not finish");
    }
    return std::span<const std::uint8_t>(scratch.data(), z.total_out);
}

std::size_t AppendBase64(std::span<const std::uint8_t> stored, SynthOutput& out) {
    const std::size_t length = Base64Length(stored.size());
    Base64EncodeTo(stored.data(), stored.size(), out.Extend(length));
    return length;
}

template <typename T>
std::span<const std::uint8_t> LittleEndianBytes(const std::vector<T>& values,
                                                std::vector<std::uint8_t>& scratch) {
    if constexpr (std::endian::native == std::endian::little) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(values.data()),
                                             values.size() * sizeof(T));
    } else {
        scratch.resize(values.size() * sizeof(T));
        for (std::size_t i = 0; i < values.size(); ++i) {
            StoreSwapped(values[i], scratch.data() + i * sizeof(T));
        }
        return scratch;
    }
}

template std::span<const std::uint8_t> LittleEndianBytes(const std::vector<double>&,
                                                         std::vector<std::uint8_t>&);
template std::span<const std::uint8_t> LittleEndianBytes(const std::vector<float>&,
                                                         std::vector<std::uint8_t>&);

std::span<const std::uint8_t> NetworkOrderPairs(const std::vector<double>& mz,
                                                const std::vector<float>& intensity,
                                                std::vector<std::uint8_t>& scratch) {
    scratch.resize(mz.size() * 16);
    for (std::size_t i = 0; i < mz.size(); ++i) {
        if constexpr (std::endian::native == std::endian::little) {
            StoreSwapped(mz[i], scratch.data() + 16 * i);
            StoreSwapped(static_cast<double>(intensity[i]), scratch.data() + 16 * i + 8);
        } else {
            std::memcpy(scratch.data() + 16 * i, &mz[i], 8);
            const double value = intensity[i];
            std::memcpy(scratch.data() + 16 * i + 8, &value, 8);
        }
    }
    return scratch;
}
