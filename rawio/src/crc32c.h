#pragma once

// CRC32C (Castagnoli), the checksum of every stored block, index and footer.

#include <cstddef>
#include <cstdint>

namespace rawio {

// Extends `crc` (the CRC32C of earlier bytes, 0 for none) over `size` more bytes.
std::uint32_t Crc32cExtend(std::uint32_t crc, const void* data, std::size_t size);

inline std::uint32_t Crc32c(const void* data, std::size_t size) {
    return Crc32cExtend(0, data, size);
}

// The portable table version alone, so tests can check both paths agree.
std::uint32_t Crc32cExtendPortable(std::uint32_t crc, const void* data, std::size_t size);

// True when the SSE4.2 instruction is used.
bool Crc32cHasHardware();

// Whether a stored checksum vouches for bytes whose checksum is `actual`. Every comparison
// against a stored checksum goes through here. A fuzz build configured with
// BREVANTO_FUZZ_SKIP_CHECKSUMS accepts any stored value, so that mutated inputs reach the
// decoders, counts and offset checks behind the checksums; CMake refuses that switch in any
// build with tests, so the shipped library always compares.
bool ChecksumMatches(std::uint32_t stored, std::uint32_t actual);
// True only in such a fuzz build.
bool ChecksumsSkipped();

}  // namespace rawio
