#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mzml/numpress_codec.h"

namespace mzml {

// One binary array of an mzML or mzXML spectrum: how it is stored, and the decoding and
// encoding that filtering needs. Values travel as their own bytes (little-endian, the width of
// their type), so a kept value is written back bit for bit; MS-Numpress arrays travel as the
// doubles they decode to, since that is what the encoding stores.

enum class ValueType { kUnknown, kFloat32, kFloat64, kInt32, kInt64 };

struct ArrayEncoding {
    ValueType type = ValueType::kUnknown;
    bool zlib = false;
    std::optional<NumpressKind> numpress;
    bool bigEndian = false;  // mzXML's "network" order
    // A compression this reader does not know, by the name the file gives it; such an array
    // cannot be decoded.
    std::string unknownCompression;

    // Bytes per value as decoded: 8 for numpress (doubles), else the type's width (0 unknown).
    std::size_t Width() const;
};

// The largest number of values one array may hold. It bounds what a hostile file can make us
// allocate; real spectra stay far below it.
inline constexpr std::size_t kMaxArrayValues = std::size_t{1} << 20;

struct DecodedArray {
    std::vector<std::uint8_t> bytes;  // count * Width() bytes, little-endian
    std::size_t count = 0;
    double numpressFixedPoint = 0;
};

// Decodes base64 `text` stored as `encoding`. `expected` is the number of values the file
// declares; more than that (or than kMaxArrayValues) is refused before it is allocated, and
// fewer is refused too when `exact`. False with `error` ("bad base64", "the array inflates to
// more than ...", ...).
bool DecodeArray(std::string_view text, const ArrayEncoding& encoding, std::size_t expected,
                 bool exact, DecodedArray& out, std::vector<std::uint8_t>& scratch,
                 std::string& error);

// Value i of a decoded array as a double (widening floats and integers).
double ValueAt(const DecodedArray& array, const ArrayEncoding& encoding, std::size_t i);

// Keeps the values whose bit is set in `keep` (bit i % 64 of word i / 64), in order.
void SelectValues(DecodedArray& array, std::size_t width, const std::uint64_t* keep);

// Encodes a decoded array as `encoding` says, appending base64 to `out`.
void EncodeArray(const DecodedArray& array, const ArrayEncoding& encoding,
                 std::vector<std::uint8_t>& scratch, std::vector<std::uint8_t>& scratch2,
                 std::string& out);

}  // namespace mzml
