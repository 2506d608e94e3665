#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mzml {

// The MS-Numpress encodings of mzML arrays (MS:1002312 linear, MS:1002313 pic, MS:1002314
// slof), through Debian's libmsnumpress. Each may be followed by zlib in the file; that layer
// is zlib_codec's.

enum class NumpressKind { kLinear, kPic, kSlof };

enum class NumpressResult { kOk, kDamaged, kTooLarge };

// Decodes `in` into `out` (old contents replaced). More than `maxValues` values is kTooLarge;
// memory stays bounded by `maxValues` (and the size of `in`) whatever `in` holds, and damaged
// or truncated input never reads or writes out of bounds. Empty input is an empty array
// (some writers leave out even the fixed point); a fixed point that is zero, negative or not
// finite in front of values is damage, as every value would be infinite or NaN.
NumpressResult NumpressDecode(NumpressKind kind, std::span<const std::uint8_t> in,
                              std::size_t maxValues, std::vector<double>& out);

// The fixed point an encoded array was written with (linear and slof keep it in their first
// 8 bytes); 0 for pic or when `encoded` is too short to hold one.
double NumpressFixedPoint(NumpressKind kind, std::span<const std::uint8_t> encoded);

// Encodes `values` into `out` (old contents replaced). Linear and slof use `fixedPoint`, the
// one of the array the values were decoded from, so that values decoded from an encoded array
// and encoded again decode to exactly the same doubles; a fixedPoint of 0 picks the library's
// optimal one. A value the encoding cannot hold with that fixed point (outside the 32-bit
// range for linear and pic, negative for pic and slof, beyond 16 bits of logarithm for slof)
// throws std::range_error: the caller keeps the array in another encoding.
void NumpressEncode(NumpressKind kind, std::span<const double> values, double fixedPoint,
                    std::vector<std::uint8_t>& out);

}  // namespace mzml
