#pragma once

// Little-endian encoding of the on-disk integers. Byte-wise code, so nothing depends on the
// host's byte order or on struct layout; compilers turn it into plain loads and stores.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace rawio {

inline std::uint16_t Load16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Load32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t Load64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(Load32(p)) |
           (static_cast<std::uint64_t>(Load32(p + 4)) << 32);
}
inline void Store16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Store32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline void Store64(std::uint8_t* p, std::uint64_t v) {
    Store32(p, static_cast<std::uint32_t>(v));
    Store32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// IEEE 754 values travel as their bit patterns.
inline float LoadF32(const std::uint8_t* p) {
    return std::bit_cast<float>(Load32(p));
}
inline double LoadF64(const std::uint8_t* p) {
    return std::bit_cast<double>(Load64(p));
}
inline void StoreF32(std::uint8_t* p, float v) {
    Store32(p, std::bit_cast<std::uint32_t>(v));
}
inline void StoreF64(std::uint8_t* p, double v) {
    Store64(p, std::bit_cast<std::uint64_t>(v));
}

}  // namespace rawio
