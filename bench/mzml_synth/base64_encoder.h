#pragma once

#include <cstddef>
#include <cstdint>

// Base64 (RFC 4648, standard alphabet, "=" padding, no line breaks), the encoding of the
// binary arrays of mzML and mzXML.

constexpr std::size_t Base64Length(std::size_t bytes) {
    return (bytes + 2) / 3 * 4;
}

// Writes the Base64Length(size) characters of the encoding of `bytes` to `out`.
void Base64EncodeTo(const std::uint8_t* bytes, std::size_t size, char* out);
