#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mzml {

// Base64 (RFC 4648, standard alphabet, "=" padding) as mzML and mzXML store binary arrays.
// Our own codec because it runs on every array of every file: it must be fast and must never
// allocate more than the caller allows. Tested against OpenSSL's encoder and decoder.

// Appends the encoding of `bytes` to `out` (no line breaks).
void Base64Encode(std::span<const std::uint8_t> bytes, std::string& out);

enum class Base64Result {
    kOk,
    kBadText,   // a character outside the alphabet, misplaced "=", or a length that is not a
                // multiple of 4 once whitespace is skipped
    kTooLarge,  // the decoded bytes would exceed `maxBytes` (found before anything is allocated)
};

// Decodes `text` into `out` (its old contents are replaced). Space, tab, CR and LF anywhere in
// the text are skipped, as XML writers may wrap long lines. Empty text gives no bytes.
Base64Result Base64Decode(std::string_view text, std::size_t maxBytes,
                          std::vector<std::uint8_t>& out);

}  // namespace mzml
