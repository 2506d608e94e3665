#include "bench/mzml_synth/base64_encoder.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Both characters of every 12-bit group: one table look-up per two output characters.
struct PairTable {
    std::array<char, 2 * 4096> chars{};
    constexpr PairTable() {
        for (unsigned i = 0; i < 4096; ++i) {
            chars[2 * i] = kAlphabet[i >> 6];
            chars[2 * i + 1] = kAlphabet[i & 63];
        }
    }
};
constexpr PairTable kPairs;

}  // namespace

void Base64EncodeTo(const std::uint8_t* bytes, std::size_t size, char* out) {
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const unsigned group =
            (unsigned{bytes[i]} << 16) | (unsigned{bytes[i + 1]} << 8) | unsigned{bytes[i + 2]};
        const char* high = &kPairs.chars[2 * (group >> 12)];
        const char* low = &kPairs.chars[2 * (group & 0xFFF)];
        out[0] = high[0];
        out[1] = high[1];
        out[2] = low[0];
        out[3] = low[1];
        out += 4;
    }
    const std::size_t rest = size - i;
    if (rest == 1) {
        const unsigned group = unsigned{bytes[i]} << 16;
        out[0] = kAlphabet[group >> 18];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = '=';
        out[3] = '=';
    } else if (rest == 2) {
        const unsigned group = (unsigned{bytes[i]} << 16) | (unsigned{bytes[i + 1]} << 8);
        out[0] = kAlphabet[group >> 18];
        out[1] = kAlphabet[(group >> 12) & 63];
        out[2] = kAlphabet[(group >> 6) & 63];
        out[3] = '=';
    }
}
