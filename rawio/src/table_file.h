#pragma once

// The frame shared by every library file: a 16-byte file header, a data region of blocks, an
// index of fixed-size entries and a 32-byte footer (docs/raw-format.md, "Common frame").

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rawio/raw_api.h"

#include "file_io.h"
#include "format.h"

namespace rawio {

// How the completion record lists each file: its size and footer checksum. The footer
// checksum covers the index checksum, which covers every block checksum, so a file from
// another creation cannot pass for the one listed.
struct ManifestEntry {
    std::uint64_t size = 0;
    std::uint32_t footerCrc = 0;
};

class TableWriter {
  public:
    RawStatus Create(const std::string& path, FileKind kind, std::size_t bufferSize);

    // Appends to the data region (buffered) and extends the current block's checksum.
    RawStatus Append(const void* data, std::size_t size);
    // Appends 32-bit words stored little-endian.
    RawStatus AppendWords(const void* words, std::size_t count);
    void BeginBlock();
    std::uint64_t BlockOffset() const { return blockOffset; }
    std::uint32_t BlockCrc() const { return blockCrc; }
    // Ends the current block (from BeginBlock to here) with a standard 16-byte index entry.
    void EndStandardBlock();
    // A whole block with a standard 16-byte index entry.
    RawStatus AppendBlock(const void* data, std::size_t size);
    void AddEntry(const std::uint8_t* entry, std::size_t size);

    // Writes index and footer, makes the file durable and closes it.
    RawStatus Finish(std::uint32_t entrySize, std::uint32_t aux, ManifestEntry* listing);
    std::uint32_t EntryCount() const { return entryCount; }

  private:
    RawStatus FlushBuffer();
    RawStatus WriteThrough(const void* data, std::size_t size);

    File file;
    std::vector<std::uint8_t> buffer;
    std::size_t used = 0;
    std::uint64_t offset = 0;         // file offset of the next byte appended
    std::uint64_t written = 0;        // bytes handed to the file so far
    std::uint64_t writebackFrom = 0;  // first written byte not yet given to StartWriteback
    std::uint64_t blockOffset = 0;
    std::uint32_t blockCrc = 0;
    std::vector<std::uint8_t> index;
    std::uint32_t entryCount = 0;
    RawStatus failed = kRawOk;  // sticky: a file that failed once is never finished
};

// Decoded standard entry.
struct BlockEntry {
    std::uint64_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t crc = 0;
};

class TableReader {
  public:
    // Opens and checks the frame: header, version, footer, index checksum, and with
    // `standardBlocks` that the 16-byte entries tile the data region exactly. With `expected`
    // the size and footer checksum must match it. Statuses: kRawNotFound (no file),
    // kRawNotRawFile (no magic), kRawNewerVersion, kRawCorrupt.
    RawStatus Open(const std::string& path, FileKind kind, std::uint32_t entrySize,
                   std::uint32_t maxEntries, bool standardBlocks, const ManifestEntry* expected);
    void Close() { file = File(); }

    std::uint32_t EntryCount() const { return entryCount; }
    std::uint32_t Aux() const { return aux; }
    std::uint64_t DataEnd() const { return dataEnd; }
    const std::uint8_t* Entry(std::uint32_t i) const {
        return index.data() + std::size_t{i} * entrySize;
    }
    BlockEntry Block(std::uint32_t i) const;

    // Reads within the data region only.
    RawStatus ReadAt(std::uint64_t offset, void* dst, std::size_t size);
    // Reads standard block `i` (dst holds its length) and checks its CRC.
    RawStatus ReadBlock(std::uint32_t i, void* dst);

    // Whether the file could be opened at all (it may have failed a later check).
    bool Opened() const { return file.IsOpen(); }
    // Notes that the check `why` failed for this file; returns kRawCorrupt.
    RawStatus Corrupt(const std::string& why) const;

  private:
    File file;
    std::vector<std::uint8_t> index;
    std::uint32_t entrySize = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t aux = 0;
    std::uint64_t dataEnd = 0;
};

// Encodes host 32-bit words as little-endian bytes (or back; the operation is its own inverse).
void SwapWordsToLittleEndian(void* words, std::size_t count);

}  // namespace rawio
