#include "crc32c.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

struct KnownAnswer {
    const char* name;
    std::vector<std::uint8_t> data;
    std::uint32_t crc;
};

std::vector<std::uint8_t> Filled(std::size_t n, std::uint8_t value) {
    return std::vector<std::uint8_t>(n, value);
}

std::vector<std::uint8_t> Ascending() {
    std::vector<std::uint8_t> v(32);
    std::iota(v.begin(), v.end(), std::uint8_t{0});
    return v;
}

std::vector<std::uint8_t> Descending() {
    std::vector<std::uint8_t> v = Ascending();
    std::reverse(v.begin(), v.end());
    return v;
}

// RFC 3720, appendix B.4, plus the common check value of "123456789".
std::vector<KnownAnswer> KnownAnswers() {
    std::vector<std::uint8_t> iscsiRead = {
        0x01, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00,
        0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x18, 0x28, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    return {
        {"32 zeros", Filled(32, 0x00), 0x8A9136AAu},
        {"32 ones", Filled(32, 0xFF), 0x62A8AB43u},
        {"ascending", Ascending(), 0x46DD794Eu},
        {"descending", Descending(), 0x113FDB5Cu},
        {"iSCSI read", iscsiRead, 0xD9963A56u},
        {"123456789", {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0xE3069283u},
        {"empty", {}, 0u},
    };
}

TEST(Crc32cTest, KnownAnswersOnBothPaths) {
    for (const KnownAnswer& k : KnownAnswers()) {
        EXPECT_EQ(rawio::Crc32c(k.data.data(), k.data.size()), k.crc) << k.name;
        EXPECT_EQ(rawio::Crc32cExtendPortable(0, k.data.data(), k.data.size()), k.crc) << k.name;
    }
}

// Extending piece by piece must equal one pass, at every split and every alignment: this is
// what the scan writer relies on when it checksums masses, intensities and bytes in turn.
TEST(Crc32cTest, ExtendingEqualsOnePassAtEverySplit) {
    std::vector<std::uint8_t> data(131);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    }
    for (std::size_t start = 0; start < 9; ++start) {
        const std::uint32_t whole = rawio::Crc32c(data.data() + start, data.size() - start);
        EXPECT_EQ(whole, rawio::Crc32cExtendPortable(0, data.data() + start, data.size() - start));
        for (std::size_t split = start; split <= data.size(); ++split) {
            const std::uint32_t first = rawio::Crc32c(data.data() + start, split - start);
            EXPECT_EQ(rawio::Crc32cExtend(first, data.data() + split, data.size() - split), whole)
                << "start " << start << " split " << split;
        }
    }
}

// The fast path runs three interleaved chains over long inputs and joins them; any slip in the
// join or in the tail handling shows up as a mismatch with the table version at some length
// or alignment. Every length up to 1024 (the short three-chain rounds start at 768) at every
// start within a word, then lengths around the long rounds (3 x 8192 bytes).
TEST(Crc32cTest, FastPathEqualsTableVersionAtEveryLengthAndAlignment) {
    std::vector<std::uint8_t> data(200000);
    std::uint32_t x = 2463534242u;
    for (auto& b : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    for (std::size_t start = 0; start < 8; ++start) {
        for (std::size_t length = 0; length <= 1024; ++length) {
            ASSERT_EQ(rawio::Crc32c(data.data() + start, length),
                      rawio::Crc32cExtendPortable(0, data.data() + start, length))
                << "start " << start << " length " << length;
        }
    }
    for (std::size_t length : {1535u, 1536u, 1537u, 24575u, 24576u, 24577u, 25343u, 25344u,
                               49152u + 768u + 7u, 199990u}) {
        for (std::size_t start : {0u, 3u}) {
            EXPECT_EQ(rawio::Crc32c(data.data() + start, length),
                      rawio::Crc32cExtendPortable(0, data.data() + start, length))
                << "start " << start << " length " << length;
            // And with a non-zero running value coming in.
            EXPECT_EQ(rawio::Crc32cExtend(0xDEADBEEFu, data.data() + start, length),
                      rawio::Crc32cExtendPortable(0xDEADBEEFu, data.data() + start, length))
                << "extending, start " << start << " length " << length;
        }
    }
}

// 48 KiB of zeros through the long rounds must equal the same bytes fed 32 at a time through
// the single chain (each piece being the RFC 3720 "32 zeros" vector).
TEST(Crc32cTest, LongRoundsAgreeWithPieceByPiece) {
    const std::vector<std::uint8_t> zeros(3 * 8192 * 2, 0);
    std::uint32_t pieces = 0;
    for (std::size_t at = 0; at < zeros.size(); at += 32) {
        pieces = rawio::Crc32cExtend(pieces, zeros.data() + at, 32);
    }
    EXPECT_EQ(rawio::Crc32c(zeros.data(), zeros.size()), pieces);
}

// The fuzz-only switch that accepts any stored checksum must never reach a tested build: if it
// did, every corruption test would pass for the wrong reason.
TEST(Crc32cTest, StoredChecksumsAreComparedOutsideFuzzBuilds) {
    EXPECT_FALSE(rawio::ChecksumsSkipped());
    EXPECT_TRUE(rawio::ChecksumMatches(0x12345678u, 0x12345678u));
    EXPECT_FALSE(rawio::ChecksumMatches(0x12345678u, 0x12345679u));
    EXPECT_FALSE(rawio::ChecksumMatches(0u, 0xFFFFFFFFu));
}

}  // namespace
