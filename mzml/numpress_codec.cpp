#include "mzml/numpress_codec.h"

#include <libmsnumpress/MSNumpress.hpp>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace mzml {

namespace numpress = ms::numpress::MSNumpress;

namespace {

constexpr std::size_t kFixedPointBytes = 8;
constexpr std::size_t kLinearHeaderBytes = 16;  // fixed point, then the first two values

// The library's decoders write into a caller buffer of unchecked size and stop where the
// data says. So before any decoding, the encoded integers are walked here exactly as the
// library will read them: each starts with a count half-byte (0..8 leading 0x0 half-bytes,
// 9..15 leading 0xf ones, minus 8) and has 8 minus that many half-bytes after it; a last
// integer that would need half-bytes beyond the data is damage, and a single 0x0 half-byte
// closing an odd count is filler. The count gives an exact allocation, checked against the
// caller's limit before anything is allocated, and the walk proves the library stays inside
// the input.
bool CountPackedIntegers(const std::uint8_t* data, std::size_t size, std::size_t& count) {
    const std::size_t halves = size * 2;
    std::size_t at = 0;
    count = 0;
    while (at < halves) {
        const unsigned head = (at % 2 == 0) ? data[at / 2] >> 4 : data[at / 2] & 0xfu;
        if (at == halves - 1 && head == 0) {
            break;
        }
        const std::size_t leading = head <= 8 ? head : head - 8;
        const std::size_t rest = 8 - leading;
        ++at;
        if (rest > halves - at) {
            return false;
        }
        at += rest;
        ++count;
    }
    return true;
}

double ReadFixedPoint(const std::uint8_t* data) {
    // Stored big-endian.
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < kFixedPointBytes; ++i) {
        bits = (bits << 8) | data[i];
    }
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Zero, negative or not finite, the values it divides would come out infinite or NaN.
bool UsableFixedPoint(double fixedPoint) {
    return std::isfinite(fixedPoint) && fixedPoint > 0;
}

// How many values `in` holds once checked well-formed, or false when it is damaged.
bool CountValues(NumpressKind kind, std::span<const std::uint8_t> in, std::size_t& count) {
    count = 0;
    switch (kind) {
        case NumpressKind::kPic:
            return CountPackedIntegers(in.data(), in.size(), count);
        case NumpressKind::kSlof:
            // Two bytes per value; an odd tail would be read past the end.
            if (in.size() < kFixedPointBytes || (in.size() - kFixedPointBytes) % 2 != 0 ||
                (in.size() > kFixedPointBytes && !UsableFixedPoint(ReadFixedPoint(in.data())))) {
                return false;
            }
            count = (in.size() - kFixedPointBytes) / 2;
            return true;
        case NumpressKind::kLinear:
            // An empty array keeps whatever fixed point its writer chose (zero, often): it
            // divides nothing.
            if (in.size() == kFixedPointBytes) {
                return true;
            }
            if (in.size() < kFixedPointBytes || !UsableFixedPoint(ReadFixedPoint(in.data()))) {
                return false;
            }
            if (in.size() == kFixedPointBytes + 4) {
                count = 1;
                return true;
            }
            if (in.size() < kLinearHeaderBytes) {
                return false;
            }
            if (!CountPackedIntegers(in.data() + kLinearHeaderBytes, in.size() - kLinearHeaderBytes,
                                     count)) {
                return false;
            }
            count += 2;
            return true;
    }
    return false;
}

std::size_t DecodeWithLibrary(NumpressKind kind, std::span<const std::uint8_t> in, double* out) {
    switch (kind) {
        case NumpressKind::kLinear:
            return numpress::decodeLinear(in.data(), in.size(), out);
        case NumpressKind::kPic:
            return numpress::decodePic(in.data(), in.size(), out);
        case NumpressKind::kSlof:
            return numpress::decodeSlof(in.data(), in.size(), out);
    }
    return 0;
}

}  // namespace

NumpressResult NumpressDecode(NumpressKind kind, std::span<const std::uint8_t> in,
                              std::size_t maxValues, std::vector<double>& out) {
    out.clear();
    // Writers leave an empty array empty, whatever the encoding.
    if (in.empty()) {
        return NumpressResult::kOk;
    }
    std::size_t count = 0;
    if (!CountValues(kind, in, count)) {
        return NumpressResult::kDamaged;
    }
    if (count > maxValues) {
        return NumpressResult::kTooLarge;
    }
    if (count == 0) {
        return NumpressResult::kOk;
    }
    out.resize(count);
    std::size_t decoded = 0;
    try {
        decoded = DecodeWithLibrary(kind, in, out.data());
    } catch (...) {
        // The library throws a bare string on data it finds corrupt.
        decoded = 0;
    }
    if (decoded != count) {
        out.clear();
        return NumpressResult::kDamaged;
    }
    return NumpressResult::kOk;
}

double NumpressFixedPoint(NumpressKind kind, std::span<const std::uint8_t> encoded) {
    if (kind == NumpressKind::kPic || encoded.size() < kFixedPointBytes) {
        return 0;
    }
    return ReadFixedPoint(encoded.data());
}

void NumpressEncode(NumpressKind kind, std::span<const double> values, double fixedPoint,
                    std::vector<std::uint8_t>& out) {
    out.clear();
    const std::size_t n = values.size();
    try {
        switch (kind) {
            case NumpressKind::kLinear: {
                const double point = fixedPoint != 0
                                         ? fixedPoint
                                         : numpress::optimalLinearFixedPoint(values.data(), n);
                out.resize(kFixedPointBytes + n * 5);
                out.resize(numpress::encodeLinear(values.data(), n, out.data(), point));
                return;
            }
            case NumpressKind::kPic:
                out.resize(n * 5);
                out.resize(numpress::encodePic(values.data(), n, out.data()));
                return;
            case NumpressKind::kSlof: {
                // The library takes the logarithm of value + 1 unchecked: below zero it
                // would store garbage.
                for (const double v : values) {
                    if (!(v >= 0) || !std::isfinite(v)) {
                        throw std::range_error("MS-Numpress slof cannot encode the value " +
                                               std::to_string(v));
                    }
                }
                const double point = fixedPoint != 0
                                         ? fixedPoint
                                         : numpress::optimalSlofFixedPoint(values.data(), n);
                out.resize(kFixedPointBytes + n * 2);
                out.resize(numpress::encodeSlof(values.data(), n, out.data(), point));
                return;
            }
        }
    } catch (const char* message) {
        out.clear();
        throw std::range_error(message);
    }
}

}  // namespace mzml
