#include "mzml/binary_array.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "mzml/base64.h"
#include "mzml/zlib_codec.h"

namespace mzml {

namespace {

std::size_t TypeWidth(ValueType type) {
    switch (type) {
        case ValueType::kFloat32:
        case ValueType::kInt32:
            return 4;
        case ValueType::kFloat64:
        case ValueType::kInt64:
            return 8;
        case ValueType::kUnknown:
            break;
    }
    return 0;
}

void SwapToLittle(std::vector<std::uint8_t>& bytes, std::size_t width) {
    for (std::size_t i = 0; i + width <= bytes.size(); i += width) {
        std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                     bytes.begin() + static_cast<std::ptrdiff_t>(i + width));
    }
}

}  // namespace

std::size_t ArrayEncoding::Width() const {
    return numpress ? 8 : TypeWidth(type);
}

bool DecodeArray(std::string_view text, const ArrayEncoding& encoding, std::size_t expected,
                 bool exact, DecodedArray& out, std::vector<std::uint8_t>& scratch,
                 std::string& error) {
    out.count = 0;
    out.numpressFixedPoint = 0;
    if (!encoding.unknownCompression.empty()) {
        error = "its compression \"" + encoding.unknownCompression + "\" is not supported";
        return false;
    }
    const std::size_t width = encoding.Width();
    if (width == 0) {
        error = "its value type is not stated or not supported";
        return false;
    }
    if (expected > kMaxArrayValues) {
        error = "it declares " + std::to_string(expected) + " values, more than the " +
                std::to_string(kMaxArrayValues) + " this reader takes in one array";
        return false;
    }
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        // Empty text is an empty array, whatever its compression: writers leave the text of an
        // array of no values empty rather than compress nothing.
        out.bytes.clear();
        if (exact && expected != 0) {
            error = "it holds 0 values where " + std::to_string(expected) + " are declared";
            return false;
        }
        return true;
    }
    const std::size_t maxBytes = expected * width;
    const bool packed = encoding.zlib || encoding.numpress.has_value();
    // Stored bytes: of the values themselves, or of a compressed form that can be larger than
    // the values (numpress of noisy data, zlib of random bytes), so allow a margin there.
    const std::size_t storedLimit = packed ? maxBytes + maxBytes / 2 + 1024 : maxBytes;
    std::vector<std::uint8_t>& stored = packed ? scratch : out.bytes;
    switch (Base64Decode(text, storedLimit, stored)) {
        case Base64Result::kOk:
            break;
        case Base64Result::kBadText:
            error = "its base64 text is damaged";
            return false;
        case Base64Result::kTooLarge:
            error = "it holds more than the " + std::to_string(expected) + " values it declares";
            return false;
    }
    if (encoding.zlib) {
        const std::size_t inflateLimit = encoding.numpress ? storedLimit : maxBytes;
        switch (ZlibInflate(stored, inflateLimit, out.bytes)) {
            case InflateResult::kOk:
                break;
            case InflateResult::kDamaged:
                error = "its zlib data is damaged";
                return false;
            case InflateResult::kTooLarge:
                error = "it inflates to more than the " + std::to_string(expected) +
                        " values it declares";
                return false;
        }
        if (encoding.numpress) {
            stored.swap(out.bytes);
        }
    }
    if (encoding.numpress) {
        std::vector<double> values;
        out.numpressFixedPoint = NumpressFixedPoint(*encoding.numpress, stored);
        switch (NumpressDecode(*encoding.numpress, stored, expected, values)) {
            case NumpressResult::kOk:
                break;
            case NumpressResult::kDamaged:
                error = "its MS-Numpress data is damaged";
                return false;
            case NumpressResult::kTooLarge:
                error =
                    "it holds more than the " + std::to_string(expected) + " values it declares";
                return false;
        }
        out.bytes.resize(values.size() * 8);
        if (!values.empty()) {
            std::memcpy(out.bytes.data(), values.data(), out.bytes.size());
        }
    }
    if (out.bytes.size() % width != 0) {
        error = "its length is not a whole number of values";
        return false;
    }
    out.count = out.bytes.size() / width;
    if (out.count > expected || (exact && out.count != expected)) {
        error = "it holds " + std::to_string(out.count) + " values where " +
                std::to_string(expected) + " are declared";
        return false;
    }
    if (encoding.bigEndian && width > 1 && !encoding.numpress) {
        SwapToLittle(out.bytes, width);
    }
    return true;
}

double ValueAt(const DecodedArray& array, const ArrayEncoding& encoding, std::size_t i) {
    const std::uint8_t* p = array.bytes.data() + i * encoding.Width();
    if (encoding.numpress) {
        double v;
        std::memcpy(&v, p, 8);
        return v;
    }
    switch (encoding.type) {
        case ValueType::kFloat32: {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case ValueType::kFloat64: {
            double v;
            std::memcpy(&v, p, 8);
            return v;
        }
        case ValueType::kInt32: {
            std::int32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case ValueType::kInt64: {
            std::int64_t v;
            std::memcpy(&v, p, 8);
            return static_cast<double>(v);
        }
        case ValueType::kUnknown:
            break;
    }
    return 0;
}

void SelectValues(DecodedArray& array, std::size_t width, const std::uint64_t* keep) {
    std::uint8_t* bytes = array.bytes.data();
    std::size_t kept = 0;
    for (std::size_t word = 0; word * 64 < array.count; ++word) {
        std::uint64_t bits = keep[word];
        while (bits != 0) {
            const std::size_t i = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            bits &= bits - 1;
            if (i >= array.count) {
                break;
            }
            if (kept != i) {
                std::memmove(bytes + kept * width, bytes + i * width, width);
            }
            ++kept;
        }
    }
    array.count = kept;
    array.bytes.resize(kept * width);
}

void EncodeArray(const DecodedArray& array, const ArrayEncoding& encoding,
                 std::vector<std::uint8_t>& scratch, std::vector<std::uint8_t>& scratch2,
                 std::string& out) {
    if (array.count == 0) {
        return;  // an empty array is empty text, whatever its compression
    }
    std::span<const std::uint8_t> stored = array.bytes;
    if (encoding.numpress) {
        std::vector<double> values(array.count);
        std::memcpy(values.data(), array.bytes.data(), array.count * 8);
        NumpressEncode(*encoding.numpress, values, array.numpressFixedPoint, scratch);
        stored = scratch;
    } else if (encoding.bigEndian && encoding.Width() > 1) {
        scratch.assign(array.bytes.begin(), array.bytes.end());
        SwapToLittle(scratch, encoding.Width());
        stored = scratch;
    }
    if (encoding.zlib) {
        ZlibDeflate(stored, scratch2);
        stored = scratch2;
    }
    Base64Encode(stored, out);
}

}  // namespace mzml
