#include "mzml/zlib_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "tests/mzml_codecs/codec_test_files.h"

using mzml::InflateResult;
using mzml::ZlibDeflate;
using mzml::ZlibInflate;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(ZlibCodec, RoundTripsArraysOfManySizes) {
    for (const std::size_t size : {0u, 1u, 7u, 100u, 65536u, 1'000'003u}) {
        const std::vector<std::uint8_t> original = Bytes(PseudoRandomText(size, 5));
        std::vector<std::uint8_t> packed;
        ZlibDeflate(original, packed);
        std::vector<std::uint8_t> unpacked;
        ASSERT_EQ(ZlibInflate(packed, size, unpacked), InflateResult::kOk) << size;
        EXPECT_EQ(unpacked, original) << size;
    }
}

TEST(ZlibCodec, DeflateIsDeterministic) {
    const std::vector<std::uint8_t> original = Bytes(PseudoRandomText(100'000, 6));
    std::vector<std::uint8_t> first;
    std::vector<std::uint8_t> second = {1, 2, 3};
    ZlibDeflate(original, first);
    ZlibDeflate(original, second);
    EXPECT_EQ(first, second);
}

TEST(ZlibCodec, InflatesWhatZlibItselfWrote) {
    const std::string text = PseudoRandomText(300'000, 7);
    for (const int level : {0, 1, 6, 9}) {
        std::vector<std::uint8_t> out;
        ASSERT_EQ(ZlibInflate(ZlibStream(text, level), text.size(), out), InflateResult::kOk)
            << "level " << level;
        EXPECT_EQ(std::string(out.begin(), out.end()), text) << "level " << level;
    }
}

TEST(ZlibCodec, AGenerousLimitAllocatesWhatTheDataHolds) {
    const std::string zeros(10'000'000, '\0');
    const std::vector<std::uint8_t> packed = ZlibStream(zeros, 9);
    std::vector<std::uint8_t> out;
    ASSERT_EQ(ZlibInflate(packed, SIZE_MAX, out), InflateResult::kOk);
    EXPECT_EQ(out.size(), zeros.size());
    EXPECT_LE(out.capacity(), std::size_t{64} << 20);
}

// 1 GiB of zeros in about a megabyte: a hostile array that expects a handful of values.
TEST(ZlibCodec, ABombIsRefusedWithoutInflatingIt) {
    z_stream stream{};
    ASSERT_EQ(deflateInit(&stream, 9), Z_OK);
    const std::vector<std::uint8_t> zeros(1 << 20, 0);
    std::vector<std::uint8_t> bomb(2 << 20);
    stream.next_out = bomb.data();
    stream.avail_out = static_cast<uInt>(bomb.size());
    for (int i = 0; i < 1024; ++i) {
        stream.next_in = const_cast<Bytef*>(zeros.data());
        stream.avail_in = static_cast<uInt>(zeros.size());
        ASSERT_EQ(deflate(&stream, i == 1023 ? Z_FINISH : Z_NO_FLUSH),
                  i == 1023 ? Z_STREAM_END : Z_OK);
    }
    bomb.resize(stream.total_out);
    deflateEnd(&stream);

    for (const std::size_t limit : {std::size_t{80}, std::size_t{1} << 20}) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(ZlibInflate(bomb, limit, out), InflateResult::kTooLarge) << limit;
        EXPECT_LE(out.capacity(), limit) << limit;
    }
}

TEST(ZlibCodec, OneByteMoreThanTheLimitIsTooLarge) {
    const std::vector<std::uint8_t> packed = ZlibStream("0123456789", 6);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(ZlibInflate(packed, 9, out), InflateResult::kTooLarge);
    EXPECT_EQ(ZlibInflate(packed, 10, out), InflateResult::kOk);
}

TEST(ZlibCodec, DamageIsFound) {
    const std::vector<std::uint8_t> good = ZlibStream(PseudoRandomText(5000, 8), 6);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"header only", {good.begin(), good.begin() + 2}},
        {"no checksum", {good.begin(), good.end() - 4}},
        {"last byte missing", {good.begin(), good.end() - 1}},
        {"half the stream", {good.begin(), good.begin() + static_cast<long>(good.size() / 2)}},
        {"a gzip member instead", Bytes(GzipMember("abc"))},
        {"raw text", Bytes("not compressed at all")},
    };
    Case garbage{"bytes after the end", good};
    garbage.bytes.push_back(0);
    cases.push_back(garbage);
    Case checksum{"wrong checksum", good};
    checksum.bytes.back() ^= 1;
    cases.push_back(checksum);
    Case header{"wrong header check", good};
    header.bytes[1] ^= 1;
    cases.push_back(header);
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out = {1};
        EXPECT_EQ(ZlibInflate(c.bytes, 10'000, out), InflateResult::kDamaged) << c.name;
        EXPECT_TRUE(out.empty()) << c.name;
    }
}

TEST(ZlibCodec, EveryFlippedOrCutStreamIsRefusedOrExact) {
    const std::string text = PseudoRandomText(600, 9);
    const std::vector<std::uint8_t> good = ZlibStream(text, 6);
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(at));
        std::vector<std::uint8_t> out;
        EXPECT_EQ(ZlibInflate(cut, text.size(), out), InflateResult::kDamaged) << "cut " << at;
        for (int bit = 0; bit < 8; ++bit) {
            std::vector<std::uint8_t> flipped = good;
            flipped[at] = static_cast<std::uint8_t>(flipped[at] ^ (1 << bit));
            // The Adler-32 at the end catches what the structure lets through; only the
            // filler bits of the last deflate byte may change without harm.
            const InflateResult result = ZlibInflate(flipped, text.size(), out);
            if (result == InflateResult::kOk) {
                EXPECT_EQ(std::string(out.begin(), out.end()), text)
                    << "flip at " << at << " bit " << bit;
            }
        }
    }
}

}  // namespace
