#include "mzml/numpress_codec.h"

#include <gtest/gtest.h>
#include <libmsnumpress/MSNumpress.hpp>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "mzml/base64.h"
#include "tests/mzml_codecs/codec_test_files.h"

using mzml::Base64Decode;
using mzml::Base64Result;
using mzml::NumpressDecode;
using mzml::NumpressEncode;
using mzml::NumpressFixedPoint;
using mzml::NumpressKind;
using mzml::NumpressResult;

namespace {

namespace library = ms::numpress::MSNumpress;

constexpr NumpressKind kKinds[] = {NumpressKind::kLinear, NumpressKind::kPic, NumpressKind::kSlof};

const char* Name(NumpressKind kind) {
    switch (kind) {
        case NumpressKind::kLinear:
            return "linear";
        case NumpressKind::kPic:
            return "pic";
        case NumpressKind::kSlof:
            return "slof";
    }
    return "?";
}

std::vector<double> Ascending(std::size_t n, std::mt19937& rng) {
    std::uniform_real_distribution<double> step(0.001, 3.0);
    std::vector<double> values;
    double mz = 100;
    for (std::size_t i = 0; i < n; ++i) {
        mz += step(rng);
        values.push_back(mz);
    }
    return values;
}

std::vector<double> Intensities(std::size_t n, std::mt19937& rng) {
    std::uniform_real_distribution<double> level(0, 1e6);
    std::vector<double> values;
    for (std::size_t i = 0; i < n; ++i) {
        values.push_back(i % 5 == 0 ? 0.0 : level(rng));
    }
    return values;
}

std::vector<double> ValuesFor(NumpressKind kind, std::size_t n, std::mt19937& rng) {
    return kind == NumpressKind::kLinear ? Ascending(n, rng) : Intensities(n, rng);
}

bool BitEqual(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

TEST(NumpressCodec, EncodedArraysDecodeClosely) {
    std::mt19937 rng(1);
    for (const NumpressKind kind : kKinds) {
        for (const std::size_t n : {0u, 1u, 2u, 3u, 1000u}) {
            const std::vector<double> values = ValuesFor(kind, n, rng);
            std::vector<std::uint8_t> encoded;
            NumpressEncode(kind, values, 0, encoded);
            std::vector<double> decoded;
            ASSERT_EQ(NumpressDecode(kind, encoded, n, decoded), NumpressResult::kOk)
                << Name(kind) << " " << n;
            ASSERT_EQ(decoded.size(), n) << Name(kind);
            for (std::size_t i = 0; i < n; ++i) {
                // Linear keeps m/z to well under a ppm, pic rounds to counts, slof keeps
                // intensities to a fraction of a percent.
                const double tolerance = kind == NumpressKind::kLinear ? values[i] * 1e-6
                                         : kind == NumpressKind::kPic  ? 0.5
                                                                       : values[i] * 1e-3 + 1e-3;
                EXPECT_NEAR(decoded[i], values[i], tolerance) << Name(kind) << " value " << i;
            }
        }
    }
}

TEST(NumpressCodec, FixedPointIsReadBack) {
    const std::vector<double> values = {100.5, 200.25, 300.125};
    std::vector<std::uint8_t> encoded;
    NumpressEncode(NumpressKind::kLinear, values, 12345.5, encoded);
    EXPECT_EQ(NumpressFixedPoint(NumpressKind::kLinear, encoded), 12345.5);
    NumpressEncode(NumpressKind::kSlof, values, 1000.0, encoded);
    EXPECT_EQ(NumpressFixedPoint(NumpressKind::kSlof, encoded), 1000.0);
    NumpressEncode(NumpressKind::kPic, values, 0, encoded);
    EXPECT_EQ(NumpressFixedPoint(NumpressKind::kPic, encoded), 0.0);
    EXPECT_EQ(NumpressFixedPoint(NumpressKind::kLinear, std::span(encoded).first(0)), 0.0);
}

// The filter keeps some peaks of an array and writes them back in the array's encoding: the
// kept values must come back as the very doubles that were read.
void CheckSubsetsReencodeExactly(NumpressKind kind, const std::vector<std::uint8_t>& encoded) {
    std::vector<double> decoded;
    ASSERT_EQ(NumpressDecode(kind, encoded, 1'000'000, decoded), NumpressResult::kOk);
    ASSERT_GT(decoded.size(), 10u);
    const double fixedPoint = NumpressFixedPoint(kind, encoded);
    for (std::size_t stride : {1u, 2u, 3u, 7u}) {
        std::vector<double> kept;
        for (std::size_t i = 0; i < decoded.size(); i += stride) {
            kept.push_back(decoded[i]);
        }
        std::vector<std::uint8_t> again;
        NumpressEncode(kind, kept, fixedPoint, again);
        std::vector<double> back;
        ASSERT_EQ(NumpressDecode(kind, again, kept.size(), back), NumpressResult::kOk);
        EXPECT_TRUE(BitEqual(back, kept)) << Name(kind) << " every " << stride;
    }
}

std::vector<std::uint8_t> EncodedArrayOf(const std::string& xml, const std::string& accession) {
    const std::size_t param = xml.find("accession=\"" + accession + "\"");
    if (param == std::string::npos) {
        return {};
    }
    const std::size_t begin = xml.find("<binary>", param) + 8;
    const std::size_t end = xml.find("</binary>", begin);
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(Base64Decode(std::string_view(xml).substr(begin, end - begin), 1 << 20, bytes),
              Base64Result::kOk);
    return bytes;
}

TEST(NumpressCodec, KeptValuesOfARealFileReencodeExactly) {
    const std::string path = SharedDataFile("mini_numpress.chrom.mzML");
    if (path.empty()) {
        GTEST_SKIP() << "mini_numpress.chrom.mzML is not in the shared data";
    }
    const std::string xml = ReadFile(path);
    const std::vector<std::uint8_t> linear = EncodedArrayOf(xml, "MS:1002312");
    const std::vector<std::uint8_t> pic = EncodedArrayOf(xml, "MS:1002313");
    ASSERT_FALSE(linear.empty());
    ASSERT_FALSE(pic.empty());
    CheckSubsetsReencodeExactly(NumpressKind::kLinear, linear);
    CheckSubsetsReencodeExactly(NumpressKind::kPic, pic);

    // And they decode as the library's own vector interface decodes them.
    std::vector<double> ours;
    std::vector<double> theirs;
    ASSERT_EQ(NumpressDecode(NumpressKind::kLinear, linear, 100'000, ours), NumpressResult::kOk);
    library::decodeLinear(linear, theirs);
    EXPECT_TRUE(BitEqual(ours, theirs));
    ASSERT_EQ(NumpressDecode(NumpressKind::kPic, pic, 100'000, ours), NumpressResult::kOk);
    library::decodePic(pic, theirs);
    EXPECT_TRUE(BitEqual(ours, theirs));
}

TEST(NumpressCodec, KeptValuesOfMadeArraysReencodeExactly) {
    std::mt19937 rng(2);
    for (const NumpressKind kind : kKinds) {
        std::vector<std::uint8_t> encoded;
        NumpressEncode(kind, ValuesFor(kind, 2000, rng), 0, encoded);
        CheckSubsetsReencodeExactly(kind, encoded);
    }
}

TEST(NumpressCodec, ValuesTheEncodingCannotHoldAreRefused) {
    struct Case {
        const char* name;
        NumpressKind kind;
        std::vector<double> values;
        double fixedPoint;
    };
    const std::vector<Case> cases = {
        {"negative count", NumpressKind::kPic, {1, -5, 2}, 0},
        {"count over 32 bits", NumpressKind::kPic, {1e10}, 0},
        {"negative slof", NumpressKind::kSlof, {1, -5}, 100},
        {"NaN slof", NumpressKind::kSlof, {std::nan("")}, 100},
        {"slof over 16 bits", NumpressKind::kSlof, {1e30}, 10000},
        {"linear jump over 32 bits", NumpressKind::kLinear, {0, 2e6, 0, 2e6}, 1000},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out;
        EXPECT_THROW(NumpressEncode(c.kind, c.values, c.fixedPoint, out), std::range_error)
            << c.name;
    }
}

std::vector<std::uint8_t> FixedPointBytes(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::vector<std::uint8_t> bytes;
    for (int shift = 56; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
    return bytes;
}

std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(NumpressCodec, HostileInputsAreRefused) {
    const std::vector<std::uint8_t> point = FixedPointBytes(1000.0);
    const std::vector<std::uint8_t> two = Join(point, {1, 0, 0, 0, 2, 0, 0, 0});
    struct Case {
        const char* name;
        NumpressKind kind;
        std::vector<std::uint8_t> bytes;
        std::size_t maxValues;
        NumpressResult expected;
        std::size_t values;  // when kOk
    };
    const std::vector<Case> cases = {
        {"empty linear", NumpressKind::kLinear, {}, 0, NumpressResult::kOk, 0},
        {"empty pic", NumpressKind::kPic, {}, 0, NumpressResult::kOk, 0},
        {"empty slof", NumpressKind::kSlof, {}, 0, NumpressResult::kOk, 0},
        {"fixed point only", NumpressKind::kLinear, point, 0, NumpressResult::kOk, 0},
        {"short fixed point", NumpressKind::kLinear, {0x40, 0x8f}, 9, NumpressResult::kDamaged, 0},
        {"short slof fixed point", NumpressKind::kSlof, {0x40}, 9, NumpressResult::kDamaged, 0},
        {"one value", NumpressKind::kLinear, Join(point, {5, 0, 0, 0}), 1, NumpressResult::kOk, 1},
        {"half a first value", NumpressKind::kLinear, Join(point, {5, 0}), 9,
         NumpressResult::kDamaged, 0},
        {"half a second value", NumpressKind::kLinear, Join(point, {5, 0, 0, 0, 6}), 9,
         NumpressResult::kDamaged, 0},
        {"two values", NumpressKind::kLinear, two, 2, NumpressResult::kOk, 2},
        {"third value cut", NumpressKind::kLinear, Join(two, {0x1f}), 9, NumpressResult::kDamaged,
         0},
        {"third value whole", NumpressKind::kLinear, Join(two, {0x7f}), 9, NumpressResult::kOk, 3},
        {"third value and filler", NumpressKind::kLinear, Join(two, {0x6f, 0xf0}), 9,
         NumpressResult::kOk, 3},
        {"zero fixed point", NumpressKind::kLinear, Join(FixedPointBytes(0), {1, 0, 0, 0}), 9,
         NumpressResult::kDamaged, 0},
        {"negative fixed point", NumpressKind::kSlof, Join(FixedPointBytes(-1), {1, 0}), 9,
         NumpressResult::kDamaged, 0},
        {"NaN fixed point", NumpressKind::kSlof, Join(FixedPointBytes(std::nan("")), {1, 0}), 9,
         NumpressResult::kDamaged, 0},
        {"infinite fixed point", NumpressKind::kLinear,
         Join(FixedPointBytes(1.0 / 0.0), {1, 0, 0, 0}), 9, NumpressResult::kDamaged, 0},
        {"odd slof", NumpressKind::kSlof, Join(point, {1, 0, 2}), 9, NumpressResult::kDamaged, 0},
        {"two slof values", NumpressKind::kSlof, Join(point, {1, 0, 2, 0}), 2, NumpressResult::kOk,
         2},
        {"slof over the limit", NumpressKind::kSlof, Join(point, {1, 0, 2, 0}), 1,
         NumpressResult::kTooLarge, 0},
        {"pic zero and filler", NumpressKind::kPic, {0x80}, 1, NumpressResult::kOk, 1},
        {"pic two zeros", NumpressKind::kPic, {0x88}, 2, NumpressResult::kOk, 2},
        {"pic cut value", NumpressKind::kPic, {0x10}, 9, NumpressResult::kDamaged, 0},
        {"pic value longer than the data",
         NumpressKind::kPic,
         {0x00, 0x00},
         9,
         NumpressResult::kDamaged,
         0},
        {"pic small negatives", NumpressKind::kPic, {0xff, 0xff, 0xff}, 3, NumpressResult::kOk, 3},
        {"pic over the limit", NumpressKind::kPic, std::vector<std::uint8_t>(1000, 0x88), 1999,
         NumpressResult::kTooLarge, 0},
        {"pic at the limit", NumpressKind::kPic, std::vector<std::uint8_t>(1000, 0x88), 2000,
         NumpressResult::kOk, 2000},
    };
    for (const Case& c : cases) {
        std::vector<double> out;
        EXPECT_EQ(NumpressDecode(c.kind, c.bytes, c.maxValues, out), c.expected) << c.name;
        EXPECT_EQ(out.size(), c.values) << c.name;
        EXPECT_LE(out.capacity(), c.maxValues) << c.name;
    }
}

// The decode counts the values before the library writes them into a buffer of that size:
// the count must be the library's own on anything at all, or the library would write past it.
TEST(NumpressCodec, RandomBytesDecodeAsTheLibraryDoesOrAreRefused) {
    std::mt19937 rng(4);
    std::vector<double> scratch;
    for (int round = 0; round < 20'000; ++round) {
        const NumpressKind kind = kKinds[round % 3];
        std::vector<std::uint8_t> bytes(rng() % 40);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(rng());
        }
        if (kind != NumpressKind::kPic && bytes.size() >= 8 && round % 2 == 0) {
            const std::vector<std::uint8_t> point =
                FixedPointBytes(100.0 + static_cast<double>(rng() % 100000));
            std::copy(point.begin(), point.end(), bytes.begin());
        }
        std::vector<double> ours;
        const NumpressResult result = NumpressDecode(kind, bytes, 1000, ours);
        // An empty array is taken as no values where the library would throw.
        if (bytes.empty()) {
            continue;
        }
        if (result != NumpressResult::kOk) {
            ASSERT_EQ(result, NumpressResult::kDamaged) << "round " << round;
            continue;
        }
        // The library's documented worst case, with room to spare.
        scratch.assign(2 * bytes.size() + 16, 0.0);
        std::size_t theirs = 0;
        try {
            switch (kind) {
                case NumpressKind::kLinear:
                    theirs = library::decodeLinear(bytes.data(), bytes.size(), scratch.data());
                    break;
                case NumpressKind::kPic:
                    theirs = library::decodePic(bytes.data(), bytes.size(), scratch.data());
                    break;
                case NumpressKind::kSlof:
                    theirs = library::decodeSlof(bytes.data(), bytes.size(), scratch.data());
                    break;
            }
        } catch (const char*) {
            ADD_FAILURE() << "accepted what the library refuses, round " << round;
            continue;
        }
        ASSERT_EQ(ours.size(), theirs) << Name(kind) << " round " << round;
        scratch.resize(theirs);
        ASSERT_TRUE(BitEqual(ours, scratch)) << Name(kind) << " round " << round;
    }
}

}  // namespace
