#pragma once

// Constants of the on-disk format (docs/raw-format.md). Change them only together with that
// document and a new format version.

#include <array>
#include <cstddef>
#include <cstdint>

namespace rawio {

// 8B 'B' 'R' 'V' CR LF 1A LF: the high first byte and the CR LF pair expose 7-bit and
// line-ending damage in transfer, 1A stops text display, and "BRV" reads in a hex dump.
inline constexpr std::array<std::uint8_t, 8> kMagic = {0x8B, 'B', 'R', 'V', '\r', '\n', 0x1A, '\n'};
inline constexpr std::uint16_t kFormatVersion = 1;

enum class FileKind : std::uint16_t {
    kHeader = 1,
    kFunctions = 2,
    kScans = 3,
    kStats = 4,
    kExtended = 5,
    kAnalog = 6,
    kHistory = 7,
    kManifest = 8,
};

inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kFooterSize = 32;
inline constexpr std::size_t kBlockEntrySize = 16;
inline constexpr std::size_t kScanEntrySize = 32;
inline constexpr std::size_t kManifestEntrySize = 16;
inline constexpr std::size_t kAnalogPointSize = 4;

// Records of fixed size are grouped into blocks of about this many bytes, each with its CRC.
inline constexpr std::size_t kRecordBlockTarget = 64 * 1024;

// Limits a reader enforces (and a writer respects), so that no file can make the library
// allocate far beyond its own size or beyond the memory promise.
inline constexpr std::uint32_t kMaxScansPerFunction = 1u << 20;       // 32 MiB of index
inline constexpr std::uint32_t kMaxExtendedRecords = 1u << 20;
inline constexpr std::size_t kMaxRecordBlockBytes = 1u << 20;          // one cached block
inline constexpr std::uint32_t kMaxPeaksPerScan = 0x7FFFFFFFu;         // the scanInfo count field
inline constexpr std::uint32_t kMaxAnalogPoints = 0xFFFFFFFFu / 8;    // both arrays in one block
inline constexpr std::uint32_t kMaxFunctions = 0xFFFF;
inline constexpr std::uint32_t kMaxManifestEntries = 3 * kMaxFunctions + 5;
inline constexpr std::uint32_t kMaxHistoryRecords = 0xFFFF;

// Buffers: large enough that a syscall moves about a megabyte.
inline constexpr std::size_t kWriteBufferSize = 1u << 20;
inline constexpr std::size_t kReadWindowSize = 1u << 20;
// A writer asks for writeback of each stretch of this many bytes as soon as it is written, so
// the sync that ends a large file has little left to wait for.
inline constexpr std::uint64_t kWritebackStep = 1u << 20;
// Functions initialised for reading at the same time, each with an open file and its index.
inline constexpr std::size_t kMaxInitialisedFunctions = 16;

inline constexpr int kHeaderBlockCompressionLevel = 6;

}  // namespace rawio
