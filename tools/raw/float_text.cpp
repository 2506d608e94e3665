#include "tools/raw/float_text.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

unsigned DecimalDigits(std::uint32_t value) {
    unsigned digits = 1;
    while (digits < 10 && value >= kPowersOfTen[digits]) {
        ++digits;
    }
    return digits;
}

// value = mantissa * 2^-shift with 1 <= value < 2^23 and 1 <= shift <= 23: scale to nine
// significant digits in integers (exact, the product stays below 2^51) and round half to even
// as printf does.
char* WriteExact(char* out, std::uint32_t mantissa, unsigned shift) {
    unsigned integerDigits = DecimalDigits(mantissa >> shift);
    const std::uint64_t scaled = std::uint64_t{mantissa} * kPowersOfTen[9 - integerDigits];
    std::uint64_t digits = scaled >> shift;
    const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (remainder > half || (remainder == half && (digits & 1u) != 0)) {
        ++digits;
    }
    if (digits == kPowersOfTen[9]) {  // rounded up to the next power of ten
        digits = kPowersOfTen[8];
        ++integerDigits;
    }
    // Fewer than 10^9, so 32-bit arithmetic, two digits a step.
    auto rest = static_cast<std::uint32_t>(digits);
    char text[9];
    text[0] = static_cast<char>('0' + rest / 100000000u);
    rest %= 100000000u;
    for (int i = 7; i >= 1; i -= 2) {
        const std::uint32_t pair = rest % 100u;
        rest /= 100u;
        text[i] = kDigitPairs[2 * pair];
        text[i + 1] = kDigitPairs[2 * pair + 1];
    }
    unsigned end = 9;
    while (end > integerDigits && text[end - 1] == '0') {
        --end;
    }
    std::memcpy(out, text, integerDigits);
    out += integerDigits;
    if (end > integerDigits) {
        *out++ = '.';
        std::memcpy(out, text + integerDigits, end - integerDigits);
        out += end - integerDigits;
    }
    return out;
}

}  // namespace

char* WriteFloat9(char* out, float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const unsigned biasedExponent = (bits >> 23) & 0xFFu;
    // Biased exponents 127..149 are the values from 1 up to 2^23.
    if (biasedExponent >= 127 && biasedExponent < 150) {
        if ((bits >> 31) != 0) {
            *out++ = '-';
        }
        const std::uint32_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
        return WriteExact(out, mantissa, 150 - biasedExponent);
    }
    return std::to_chars(out, out + 16, value, std::chars_format::general, 9).ptr;
}
