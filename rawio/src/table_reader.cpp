#include "table_file.h"

#include <cstring>

#include "rawio/byte_order.h"

#include "crc32c.h"
#include "error_detail.h"

namespace rawio {

RawStatus TableReader::Open(const std::string& path, FileKind kind, std::uint32_t wantEntrySize,
                            std::uint32_t maxEntries, bool standardBlocks,
                            const ManifestEntry* expected) {
    file = File();
    index.clear();
    RawStatus status = File::OpenForRead(path, &file);
    if (status != kRawOk) {
        return status;
    }
    std::uint64_t size = 0;
    if ((status = file.Size(&size)) != kRawOk) {
        return status;
    }
    if (expected != nullptr && size != expected->size) {
        return Corrupt("its size is " + std::to_string(size) +
                       " bytes, the completion record says " + std::to_string(expected->size));
    }
    if (size < kFileHeaderSize) {
        return size < kMagic.size()
                   ? NoteFailure(kRawNotRawFile, file.Path() + ": too short to be a library file")
                   : Corrupt("too short for its header");
    }
    std::uint8_t header[kFileHeaderSize];
    if ((status = file.ReadAt(0, header, sizeof header)) != kRawOk) {
        return status;
    }
    if (std::memcmp(header, kMagic.data(), kMagic.size()) != 0) {
        return NoteFailure(kRawNotRawFile, file.Path() + ": no magic number of a library file");
    }
    if (!ChecksumMatches(Load32(header + 12), Crc32c(header, 12))) {
        return Corrupt("the checksum of its header does not match");
    }
    const std::uint16_t version = Load16(header + 8);
    if (version > kFormatVersion) {
        return NoteFailure(kRawNewerVersion, file.Path() + ": format version " +
                                                 std::to_string(version) + ", newer than " +
                                                 std::to_string(kFormatVersion));
    }
    if (version == 0 || Load16(header + 10) != static_cast<std::uint16_t>(kind)) {
        return Corrupt("its header gives version 0 or the wrong kind of file");
    }
    if (size < kFileHeaderSize + kFooterSize) {
        return Corrupt("too short for its footer");
    }
    std::uint8_t footer[kFooterSize];
    if ((status = file.ReadAt(size - kFooterSize, footer, sizeof footer)) != kRawOk) {
        return status;
    }
    const std::uint32_t footerCrc = Load32(footer + 28);
    if (!ChecksumMatches(footerCrc, Crc32c(footer, 28)) || Load32(footer + 24) != 0) {
        return Corrupt("the checksum of its footer does not match");
    }
    if (expected != nullptr && !ChecksumMatches(expected->footerCrc, footerCrc)) {
        return Corrupt("its footer is not the one the completion record lists");
    }
    const std::uint64_t indexOffset = Load64(footer);
    entryCount = Load32(footer + 8);
    entrySize = Load32(footer + 12);
    aux = Load32(footer + 16);
    if (entrySize != wantEntrySize || entryCount > maxEntries || indexOffset < kFileHeaderSize ||
        indexOffset > size - kFooterSize) {
        return Corrupt("its footer gives an impossible index (entry size, count or offset)");
    }
    const std::uint64_t indexSize = std::uint64_t{entryCount} * entrySize;
    if (indexOffset + indexSize != size - kFooterSize) {
        return Corrupt("its index does not end where its footer begins");
    }
    index.resize(static_cast<std::size_t>(indexSize));
    if ((status = file.ReadAt(indexOffset, index.data(), index.size())) != kRawOk) {
        return status;
    }
    if (!ChecksumMatches(Load32(footer + 20), Crc32c(index.data(), index.size()))) {
        return Corrupt("the checksum of its index does not match");
    }
    dataEnd = indexOffset;
    if (standardBlocks) {
        std::uint64_t next = kFileHeaderSize;
        for (std::uint32_t i = 0; i < entryCount; ++i) {
            const BlockEntry block = Block(i);
            if (block.offset != next) {
                return Corrupt("block " + std::to_string(i) + " is not where the one before ends");
            }
            next += block.length;
        }
        if (next != dataEnd) {
            return Corrupt("its blocks do not end where its index begins");
        }
    }
    return kRawOk;
}

BlockEntry TableReader::Block(std::uint32_t i) const {
    const std::uint8_t* e = Entry(i);
    return {Load64(e), Load32(e + 8), Load32(e + 12)};
}

RawStatus TableReader::ReadAt(std::uint64_t offset, void* dst, std::size_t size) {
    if (offset < kFileHeaderSize || offset > dataEnd || size > dataEnd - offset) {
        return Corrupt("data listed at byte " + std::to_string(offset) +
                       " lies outside its data region");
    }
    return file.ReadAt(offset, dst, size);
}

RawStatus TableReader::ReadBlock(std::uint32_t i, void* dst) {
    const BlockEntry block = Block(i);
    if (const RawStatus status = ReadAt(block.offset, dst, block.length); status != kRawOk) {
        return status;
    }
    return ChecksumMatches(block.crc, Crc32c(dst, block.length))
               ? kRawOk
               : Corrupt("the checksum of block " + std::to_string(i) + " does not match");
}

RawStatus TableReader::Corrupt(const std::string& why) const {
    return NoteFailure(kRawCorrupt, file.Path() + ": " + why);
}

}  // namespace rawio
