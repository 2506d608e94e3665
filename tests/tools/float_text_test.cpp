#include "tools/raw/float_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Fast(float value) {
    char text[32];
    return std::string(text, WriteFloat9(text, value));
}

std::string Printf(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

TEST(WriteFloat9, MatchesPrintfOnChosenValues) {
    const float cases[] = {1.0f,        1.5f,    50.0f,       100.0f,        999.99994f,
                           999.999939f, 1000.0f, 1199.99988f, 0x1.fffffep0f, 9.99999905f,
                           123.456789f, 1e6f,    8388607.5f,  8388608.0f,    16777216.0f,
                           0.5f,        0.0001f, -0.0f,       0.0f,          -123.25f,
                           3.0e-45f,    3.4e38f, INFINITY,    -INFINITY,     NAN};
    for (const float value : cases) {
        EXPECT_EQ(Fast(value), Printf(value)) << "bits " << std::bit_cast<std::uint32_t>(value);
    }
}

// The integer path rounds half to even like printf: sweep the exponents it covers densely,
// by bit patterns, so every rounding case of every digit count is met.
TEST(WriteFloat9, MatchesPrintfAcrossTheExactRange) {
    for (std::uint32_t exponent = 126; exponent <= 151; ++exponent) {
        for (std::uint32_t mantissa = 0; mantissa < (1u << 23); mantissa += 97) {
            const auto value = std::bit_cast<float>(exponent << 23 | mantissa);
            ASSERT_EQ(Fast(value), Printf(value)) << "bits " << (exponent << 23 | mantissa);
        }
    }
}

TEST(WriteFloat9, ReadsBackAsTheSameFloat) {
    for (std::uint32_t bits = 0x42480000u; bits < 0x44960000u; bits += 1013) {  // 50 .. 1200
        const auto value = std::bit_cast<float>(bits);
        const std::string text = Fast(value);
        ASSERT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
    }
}

}  // namespace
