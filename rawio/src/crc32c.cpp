#include "crc32c.h"

#include <array>
#include <cstring>

#include "rawio/byte_order.h"

#if defined(__x86_64__) || defined(__i386__)
#define RAWIO_CRC_X86 1
#include <nmmintrin.h>
#endif

namespace rawio {
namespace {

constexpr std::uint32_t kPolynomial = 0x82F63B78u;  // reflected Castagnoli polynomial

// Slicing-by-8 tables: eight bytes per step keeps the fallback within a few times the
// hardware speed.
struct Tables {
    std::array<std::array<std::uint32_t, 256>, 8> t{};
    constexpr Tables() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1u) ? (c >> 1) ^ kPolynomial : c >> 1;
            }
            t[0][i] = c;
        }
        for (std::size_t i = 0; i < 256; ++i) {
            for (std::size_t s = 1; s < 8; ++s) {
                t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFFu];
            }
        }
    }
};
constexpr Tables kTables;

std::uint32_t PortableRaw(std::uint32_t c, const std::uint8_t* p, std::size_t n) {
    const auto& t = kTables.t;
    while (n >= 8) {
        const std::uint32_t lo = c ^ Load32(p);
        c = t[7][lo & 0xFFu] ^ t[6][(lo >> 8) & 0xFFu] ^ t[5][(lo >> 16) & 0xFFu] ^ t[4][lo >> 24] ^
            t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n-- > 0) {
        c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFFu];
    }
    return c;
}

#if RAWIO_CRC_X86
#if defined(__x86_64__)
// The crc32 instruction has a latency of three cycles and a throughput of one, so one chain of
// 8-byte steps leaves two thirds of it idle. Long inputs run as three chains over adjacent
// stretches of `length` bytes, joined afterwards: the CRC register is linear, so the first
// chain's value is carried over the 2 x `length` bytes after it by a fixed linear map (the
// effect of that many zero bytes), applied through four byte-indexed tables.
struct ZeroShift {
    std::array<std::array<std::uint32_t, 256>, 4> t{};
    std::uint32_t Apply(std::uint32_t c) const {
        return t[0][c & 0xFFu] ^ t[1][(c >> 8) & 0xFFu] ^ t[2][(c >> 16) & 0xFFu] ^ t[3][c >> 24];
    }
};

__attribute__((target("sse4.2"))) ZeroShift MakeZeroShift(std::size_t zeroBytes) {
    ZeroShift shift;
    for (std::size_t bit = 0; bit < 32; ++bit) {
        std::uint64_t c = std::uint64_t{1} << bit;
        for (std::size_t i = 0; i < zeroBytes / 8; ++i) {
            c = _mm_crc32_u64(c, 0);
        }
        const auto image = static_cast<std::uint32_t>(c);
        // Each table entry is the XOR of the images of its set bits.
        const std::size_t table = bit / 8;
        const std::size_t weight = std::size_t{1} << (bit % 8);
        for (std::size_t b = weight; b < 256; b += 2 * weight) {
            for (std::size_t k = 0; k < weight; ++k) {
                shift.t[table][b + k] ^= image;
            }
        }
    }
    return shift;
}

template <std::size_t kLength>
__attribute__((target("sse4.2"))) inline std::uint64_t ThreeChains(std::uint64_t c,
                                                                   const std::uint8_t*& p,
                                                                   std::size_t& n) {
    static_assert(kLength % 8 == 0);
    static const ZeroShift shift = MakeZeroShift(kLength);
    while (n >= 3 * kLength) {
        std::uint64_t a = c;
        std::uint64_t b = 0;
        std::uint64_t d = 0;
        for (std::size_t i = 0; i < kLength; i += 8) {
            std::uint64_t wa;
            std::uint64_t wb;
            std::uint64_t wd;
            std::memcpy(&wa, p + i, 8);  // the instruction reads little-endian, as x86 is
            std::memcpy(&wb, p + kLength + i, 8);
            std::memcpy(&wd, p + 2 * kLength + i, 8);
            a = _mm_crc32_u64(a, wa);
            b = _mm_crc32_u64(b, wb);
            d = _mm_crc32_u64(d, wd);
        }
        const std::uint32_t ab =
            shift.Apply(static_cast<std::uint32_t>(a)) ^ static_cast<std::uint32_t>(b);
        c = shift.Apply(ab) ^ static_cast<std::uint32_t>(d);
        p += 3 * kLength;
        n -= 3 * kLength;
    }
    return c;
}
#endif

__attribute__((target("sse4.2"))) std::uint32_t HardwareRaw(std::uint32_t c, const std::uint8_t* p,
                                                            std::size_t n) {
#if defined(__x86_64__)
    std::uint64_t c64 = c;
    c64 = ThreeChains<8192>(c64, p, n);
    c64 = ThreeChains<256>(c64, p, n);
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        c64 = _mm_crc32_u64(c64, word);
        p += 8;
        n -= 8;
    }
    c = static_cast<std::uint32_t>(c64);
#endif
    while (n >= 4) {
        std::uint32_t word;
        std::memcpy(&word, p, 4);
        c = _mm_crc32_u32(c, word);
        p += 4;
        n -= 4;
    }
    while (n-- > 0) {
        c = _mm_crc32_u8(c, *p++);
    }
    return c;
}

bool DetectHardware() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse4.2");
}
#else
bool DetectHardware() {
    return false;
}
#endif

const bool kHasHardware = DetectHardware();

}  // namespace

std::uint32_t Crc32cExtendPortable(std::uint32_t crc, const void* data, std::size_t size) {
    return ~PortableRaw(~crc, static_cast<const std::uint8_t*>(data), size);
}

std::uint32_t Crc32cExtend(std::uint32_t crc, const void* data, std::size_t size) {
#if RAWIO_CRC_X86
    if (kHasHardware) {
        return ~HardwareRaw(~crc, static_cast<const std::uint8_t*>(data), size);
    }
#endif
    return Crc32cExtendPortable(crc, data, size);
}

bool Crc32cHasHardware() {
    return kHasHardware;
}

#if defined(BREVANTO_FUZZ_SKIP_CHECKSUMS)
bool ChecksumMatches(std::uint32_t, std::uint32_t) {
    return true;
}
bool ChecksumsSkipped() {
    return true;
}
#else
bool ChecksumMatches(std::uint32_t stored, std::uint32_t actual) {
    return stored == actual;
}
bool ChecksumsSkipped() {
    return false;
}
#endif

}  // namespace rawio
