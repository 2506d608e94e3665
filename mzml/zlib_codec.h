#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mzml {

// zlib streams (RFC 1950) as mzML ("zlib compression") and mzXML (compressionType="zlib")
// store arrays. Inflation is bounded by what the caller expects, so a small hostile array
// cannot make us allocate a large one.

enum class InflateResult {
    kOk,
    kDamaged,   // not a valid zlib stream, or bytes after its end
    kTooLarge,  // it inflates to more than `maxBytes`; at most `maxBytes` were allocated
};

// Inflates `in` into `out` (old contents replaced).
InflateResult ZlibInflate(std::span<const std::uint8_t> in, std::size_t maxBytes,
                          std::vector<std::uint8_t>& out);

// Deflates `in` into a zlib stream in `out` (old contents replaced). Deterministic: the same
// bytes in give the same bytes out.
void ZlibDeflate(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out);

}  // namespace mzml
