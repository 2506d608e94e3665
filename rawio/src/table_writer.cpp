#include "table_file.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "rawio/byte_order.h"

#include "crc32c.h"

namespace rawio {

void SwapWordsToLittleEndian(void* words, std::size_t count) {
    if constexpr (std::endian::native != std::endian::little) {
        auto* p = static_cast<std::uint8_t*>(words);
        for (std::size_t i = 0; i < count; ++i, p += 4) {
            std::swap(p[0], p[3]);
            std::swap(p[1], p[2]);
        }
    } else {
        (void)words;
        (void)count;
    }
}

RawStatus TableWriter::Create(const std::string& path, FileKind kind, std::size_t bufferSize) {
    buffer.assign(std::max<std::size_t>(bufferSize, 4096), 0);
    used = 0;
    written = 0;
    writebackFrom = 0;
    index.clear();
    entryCount = 0;
    failed = File::Create(path, &file);
    if (failed != kRawOk) {
        return failed;
    }
    std::uint8_t header[kFileHeaderSize] = {};
    std::memcpy(header, kMagic.data(), kMagic.size());
    Store16(header + 8, kFormatVersion);
    Store16(header + 10, static_cast<std::uint16_t>(kind));
    Store32(header + 12, Crc32c(header, 12));
    std::memcpy(buffer.data(), header, sizeof header);
    used = sizeof header;
    offset = sizeof header;
    BeginBlock();
    return kRawOk;
}

RawStatus TableWriter::WriteThrough(const void* data, std::size_t size) {
    const RawStatus status = file.Write(data, size);
    if (status != kRawOk) {
        failed = status;
        return status;
    }
    written += size;
    if (written - writebackFrom >= kWritebackStep) {
        file.StartWriteback(writebackFrom, written - writebackFrom);
        writebackFrom = written;
    }
    return kRawOk;
}

RawStatus TableWriter::FlushBuffer() {
    if (used > 0) {
        const std::size_t size = used;
        used = 0;
        return WriteThrough(buffer.data(), size);
    }
    return kRawOk;
}

RawStatus TableWriter::Append(const void* data, std::size_t size) {
    if (failed != kRawOk) {
        return failed;
    }
    if (size == 0) {
        return kRawOk;
    }
    blockCrc = Crc32cExtend(blockCrc, data, size);
    offset += size;
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (used + size > buffer.size()) {
        if (const RawStatus status = FlushBuffer(); status != kRawOk) {
            return status;
        }
        if (size >= buffer.size()) {
            // Big arrays go straight from the caller's memory to the file.
            return WriteThrough(p, size);
        }
    }
    std::memcpy(buffer.data() + used, p, size);
    used += size;
    return kRawOk;
}

RawStatus TableWriter::AppendWords(const void* words, std::size_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        return Append(words, count * 4);
    } else {
        std::uint8_t chunk[4096];
        const auto* p = static_cast<const std::uint8_t*>(words);
        while (count > 0) {
            const std::size_t n = std::min<std::size_t>(count, sizeof chunk / 4);
            std::memcpy(chunk, p, n * 4);
            SwapWordsToLittleEndian(chunk, n);
            if (const RawStatus status = Append(chunk, n * 4); status != kRawOk) {
                return status;
            }
            p += n * 4;
            count -= n;
        }
        return kRawOk;
    }
}

void TableWriter::BeginBlock() {
    blockOffset = offset;
    blockCrc = 0;
}

RawStatus TableWriter::AppendBlock(const void* data, std::size_t size) {
    BeginBlock();
    if (const RawStatus status = Append(data, size); status != kRawOk) {
        return status;
    }
    EndStandardBlock();
    return kRawOk;
}

void TableWriter::EndStandardBlock() {
    std::uint8_t entry[kBlockEntrySize];
    Store64(entry, blockOffset);
    Store32(entry + 8, static_cast<std::uint32_t>(offset - blockOffset));
    Store32(entry + 12, blockCrc);
    AddEntry(entry, sizeof entry);
}

void TableWriter::AddEntry(const std::uint8_t* entry, std::size_t size) {
    index.insert(index.end(), entry, entry + size);
    ++entryCount;
}

RawStatus TableWriter::Finish(std::uint32_t entrySize, std::uint32_t aux, ManifestEntry* listing) {
    if (failed != kRawOk) {
        return failed;
    }
    const std::uint64_t indexOffset = offset;
    std::uint8_t footer[kFooterSize] = {};
    Store64(footer, indexOffset);
    Store32(footer + 8, entryCount);
    Store32(footer + 12, entrySize);
    Store32(footer + 16, aux);
    Store32(footer + 20, Crc32c(index.data(), index.size()));
    Store32(footer + 24, 0);
    Store32(footer + 28, Crc32c(footer, 28));
    const std::vector<std::uint8_t> ownIndex = std::move(index);
    index.clear();
    RawStatus status = Append(ownIndex.data(), ownIndex.size());
    if (status == kRawOk) {
        status = Append(footer, sizeof footer);
    }
    if (status == kRawOk) {
        status = FlushBuffer();
    }
    if (status == kRawOk) {
        status = file.Sync();
    }
    const RawStatus closeStatus = file.Close();
    if (status == kRawOk) {
        status = closeStatus;
    }
    if (status != kRawOk) {
        failed = status;
        return status;
    }
    failed = kRawOutOfOrder;  // finished: no more appends
    listing->size = offset;
    listing->footerCrc = Load32(footer + 28);
    buffer.clear();
    buffer.shrink_to_fit();
    return kRawOk;
}

}  // namespace rawio
