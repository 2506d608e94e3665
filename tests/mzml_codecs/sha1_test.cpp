#include "mzml/sha1.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string OneShot(std::string_view text) {
    mzml::Sha1 sha;
    sha.Update(text);
    return sha.HexDigest();
}

TEST(Sha1, KnownAnswers) {
    // FIPS 180 examples.
    EXPECT_EQ(OneShot(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(OneShot("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(OneShot("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(OneShot(std::string(1'000'000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, PiecesGiveTheDigestOfTheWhole) {
    std::mt19937 rng(3);
    std::vector<std::uint8_t> bytes(100'000);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(rng());
    }
    mzml::Sha1 whole;
    whole.Update(std::span<const std::uint8_t>(bytes));
    const std::string expected = whole.HexDigest();

    mzml::Sha1 pieces;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t n = std::min<std::size_t>(rng() % 3000, bytes.size() - at);
        if (n % 2 == 0) {
            pieces.Update(std::span<const std::uint8_t>(bytes.data() + at, n));
        } else {
            pieces.Update(std::string_view(reinterpret_cast<const char*>(bytes.data() + at), n));
        }
        at += n;
    }
    EXPECT_EQ(pieces.HexDigest(), expected);
}

}  // namespace
