#include "rawio/crc32c.h"

#include <array>
#include <cstring>

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
        const std::uint32_t lo = c ^ (static_cast<std::uint32_t>(p[0]) |
                                      (static_cast<std::uint32_t>(p[1]) << 8) |
                                      (static_cast<std::uint32_t>(p[2]) << 16) |
                                      (static_cast<std::uint32_t>(p[3]) << 24));
        c = t[7][lo & 0xFFu] ^ t[6][(lo >> 8) & 0xFFu] ^ t[5][(lo >> 16) & 0xFFu] ^
            t[4][lo >> 24] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
        p += 8;
        n -= 8;
    }
    while (n-- > 0) {
        c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFFu];
    }
    return c;
}

#if RAWIO_CRC_X86
__attribute__((target("sse4.2"))) std::uint32_t HardwareRaw(std::uint32_t c,
                                                            const std::uint8_t* p,
                                                            std::size_t n) {
#if defined(__x86_64__)
    std::uint64_t c64 = c;
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);  // the instruction reads little-endian, as x86 is
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
bool DetectHardware() { return false; }
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

bool Crc32cHasHardware() { return kHasHardware; }

#if defined(BREVANTO_FUZZ_SKIP_CHECKSUMS)
bool ChecksumMatches(std::uint32_t, std::uint32_t) { return true; }
bool ChecksumsSkipped() { return true; }
#else
bool ChecksumMatches(std::uint32_t stored, std::uint32_t actual) { return stored == actual; }
bool ChecksumsSkipped() { return false; }
#endif

}  // namespace rawio
