#pragma once

// Constants of the on-disk format (docs/raw-format.md). Change them only together with that
// document and a new format version.

#include <array>
#include <cstddef>
#include <cstdint>

#include "rawio/raw_api.h"

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
inline constexpr std::uint32_t kMaxScansPerFunction = 1u << 20;  // 32 MiB of index
inline constexpr std::uint32_t kMaxExtendedRecords = 1u << 20;
inline constexpr std::size_t kMaxRecordBlockBytes = 1u << 20;       // one cached block
inline constexpr std::uint32_t kMaxPeaksPerScan = 0x7FFFFFFFu;      // the scanInfo count field
inline constexpr std::uint32_t kMaxAnalogPoints = 0xFFFFFFFFu / 8;  // both arrays in one block
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

// The header block is cut into segments {zero count, literal count, literals}; the writer makes
// a zero run its own segment only from this length on, so no segment costs more than it saves.
inline constexpr std::size_t kMinZeroRun = 32;
// The longest segment stream a header block gives: every byte a literal, plus one 8-byte
// segment head per possible zero run and two more.
inline constexpr std::size_t kMaxSegmentStream =
    kHeaderBlockSize + 8 * (kHeaderBlockSize / kMinZeroRun + 2);
// No deflate stream expands by more than this (a 258-byte match costs at least 2 bits), so a
// stated stream length beyond it cannot be true and is refused before it is allocated.
inline constexpr std::size_t kMaxDeflateRatio = 1032;

// The longest deflated segment stream a reader accepts for a stream of `length` bytes. It is
// zlib 1.2's compressBound, which compress2 never exceeds, written out so that the format does
// not move with the zlib a reader happens to link.
constexpr std::uint64_t MaxDeflatedLength(std::uint64_t length) {
    return length + (length >> 12) + (length >> 14) + (length >> 25) + 13;
}

}  // namespace rawio
