#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mzml {

// Opaque records of our raw data files travel through mzML as user parameters in hex, so a
// raw -> mzML -> raw round trip gives them back byte for byte.

// Lower-case hex, two digits per byte.
std::string ToHex(std::span<const std::uint8_t> bytes);
// The bytes of `text`, or nothing when it is not exactly `size` bytes of hex (either case).
std::optional<std::vector<std::uint8_t>> FromHex(const std::string& text, std::size_t size);

}  // namespace mzml
