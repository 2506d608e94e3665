#include "mzml/zlib_codec.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace mzml {

namespace {

// Level 3. Measured on 64-bit m/z and intensity arrays (bench/mzml_codec_bench.cpp): level 6
// (zlib's default) is 1.5 times slower for 0.7% less, level 1 is 1.3 times faster again but
// 16% larger, level 9 is 4.6 times slower than 6 for 0.1% less. Compressing the kept arrays is
// the largest share of filtering a zlib file, so the level that costs almost nothing in size
// and saves a third of that time wins.
constexpr int kCompressionLevel = 3;

// Deflate cannot expand a byte by more than 1032 times (a 258-byte match coded in two bits),
// so a stream asking for more room than that is damaged, whatever the caller allows.
constexpr std::size_t kMaxInflateRatio = 1032;

// A limit up to this size is allocated at once (see ZlibInflate).
constexpr std::size_t kFirstTryLimit = std::size_t{64} << 20;

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// The codec states are reused: allocating a compressor per array would cost more than
// compressing a small one.
libdeflate_decompressor& Decompressor() {
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor;
    if (!decompressor) {
        decompressor.reset(libdeflate_alloc_decompressor());
        if (!decompressor) {
            throw std::bad_alloc();
        }
    }
    return *decompressor;
}

libdeflate_compressor& Compressor() {
    thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor;
    if (!compressor) {
        compressor.reset(libdeflate_alloc_compressor(kCompressionLevel));
        if (!compressor) {
            throw std::bad_alloc();
        }
    }
    return *compressor;
}

// libdeflate reads a cut stream on as if zeros followed, so running out of room may also
// mean the stream is truncated or damaged. zlib's inflate tells them apart, through a small
// window whose output is thrown away: the work is bounded by the limit, the memory is not
// touched by it.
InflateResult TooLargeOrDamaged(std::span<const std::uint8_t> in, std::size_t maxBytes) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        throw std::bad_alloc();
    }
    std::uint8_t window[1 << 16];
    std::size_t left = in.size();
    const std::uint8_t* next = in.data();
    InflateResult result = InflateResult::kDamaged;
    for (;;) {
        if (stream.avail_in == 0 && left > 0) {
            const auto step = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
            stream.next_in = const_cast<Bytef*>(next);
            stream.avail_in = step;
            next += step;
            left -= step;
        }
        stream.next_out = window;
        stream.avail_out = sizeof window;
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (stream.total_out > maxBytes) {
            result = InflateResult::kTooLarge;
            break;
        }
        if (status != Z_OK) {
            // Z_STREAM_END within the limit cannot be (libdeflate found more), Z_BUF_ERROR
            // is the input running out: all of it is damage.
            break;
        }
    }
    inflateEnd(&stream);
    return result;
}

}  // namespace

InflateResult ZlibInflate(std::span<const std::uint8_t> in, std::size_t maxBytes,
                          std::vector<std::uint8_t>& out) {
    out.clear();
    const std::size_t possible = in.size() > (SIZE_MAX - 64) / kMaxInflateRatio
                                     ? SIZE_MAX
                                     : in.size() * kMaxInflateRatio + 64;
    const std::size_t limit = std::min(maxBytes, possible);
    // Callers usually know the size to expect and pass it as the limit: then one pass fills a
    // buffer of that size. A generous limit is not taken at its word: the buffer starts at a
    // few times the input and grows fourfold while the data asks for more, so memory follows
    // what the stream really holds.
    std::size_t room = limit <= kFirstTryLimit ? limit : std::max(kFirstTryLimit, in.size() * 8);
    libdeflate_decompressor& decompressor = Decompressor();
    for (;;) {
        room = std::min(room, limit);
        out.resize(room);
        std::size_t consumed = 0;
        std::size_t produced = 0;
        const libdeflate_result result = libdeflate_zlib_decompress_ex(
            &decompressor, in.data(), in.size(), out.data(), out.size(), &consumed, &produced);
        if (result == LIBDEFLATE_SUCCESS && consumed == in.size()) {
            out.resize(produced);
            return InflateResult::kOk;
        }
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE) {
            out.clear();
            return InflateResult::kDamaged;
        }
        if (room == limit) {
            out.clear();
            return limit == maxBytes ? TooLargeOrDamaged(in, maxBytes) : InflateResult::kDamaged;
        }
        room = room > SIZE_MAX / 4 ? SIZE_MAX : room * 4;
    }
}

void ZlibDeflate(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    libdeflate_compressor& compressor = Compressor();
    out.resize(libdeflate_zlib_compress_bound(&compressor, in.size()));
    const std::size_t size =
        libdeflate_zlib_compress(&compressor, in.data(), in.size(), out.data(), out.size());
    // The buffer has the library's own bound, so a zero (no room) cannot happen.
    out.resize(size);
}

}  // namespace mzml
