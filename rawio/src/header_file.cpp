#include "header_file.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#include "rawio/byte_order.h"

#include "error_detail.h"
#include "format.h"

namespace rawio {
namespace {

// The header block is first reduced to segments {zero count, literal count, literals}, and
// the segments are deflated. Eliding the zero runs before deflating makes both directions
// cost little more than a memset of the block.

std::vector<std::uint8_t> ElideZeroRuns(const std::uint8_t* block) {
    std::vector<std::uint8_t> stream;
    std::size_t at = 0;
    while (at < kHeaderBlockSize) {
        std::size_t zeros = 0;
        while (at + zeros < kHeaderBlockSize && block[at + zeros] == 0) {
            ++zeros;
        }
        if (zeros < kMinZeroRun && at + zeros < kHeaderBlockSize) {
            zeros = 0;  // a short run stays among the literals
        }
        std::size_t literalEnd = at + zeros;
        std::size_t run = 0;
        while (literalEnd + run < kHeaderBlockSize) {
            if (block[literalEnd + run] == 0) {
                ++run;
                if (run == kMinZeroRun) {
                    break;
                }
            } else {
                literalEnd += run + 1;
                run = 0;
            }
        }
        if (literalEnd + run == kHeaderBlockSize && run < kMinZeroRun) {
            literalEnd = kHeaderBlockSize;  // trailing short run: keep as literals
        }
        const std::size_t literals = literalEnd - (at + zeros);
        std::uint8_t counts[8];
        Store32(counts, static_cast<std::uint32_t>(zeros));
        Store32(counts + 4, static_cast<std::uint32_t>(literals));
        stream.insert(stream.end(), counts, counts + 8);
        stream.insert(stream.end(), block + at + zeros, block + literalEnd);
        at = literalEnd;
    }
    return stream;
}

RawStatus RestoreZeroRuns(const std::vector<std::uint8_t>& stream, std::uint8_t* block) {
    std::size_t at = 0;
    std::size_t out = 0;
    while (at < stream.size()) {
        if (stream.size() - at < 8) {
            return kRawCorrupt;
        }
        const std::size_t zeros = Load32(stream.data() + at);
        const std::size_t literals = Load32(stream.data() + at + 4);
        at += 8;
        if (zeros + literals == 0 || zeros > kHeaderBlockSize - out ||
            literals > kHeaderBlockSize - out - zeros || literals > stream.size() - at) {
            return kRawCorrupt;
        }
        std::memset(block + out, 0, zeros);
        std::memcpy(block + out + zeros, stream.data() + at, literals);
        out += zeros + literals;
        at += literals;
    }
    return out == kHeaderBlockSize ? kRawOk : kRawCorrupt;
}

}  // namespace

RawStatus WriteHeaderFile(const std::string& path, const void* headerRecord,
                          const void* headerBlock, ManifestEntry* listing) {
    const std::vector<std::uint8_t> stream =
        ElideZeroRuns(static_cast<const std::uint8_t*>(headerBlock));
    uLongf packedSize = compressBound(static_cast<uLong>(stream.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, stream.data(), static_cast<uLong>(stream.size()),
                  kHeaderBlockCompressionLevel) != Z_OK) {
        return kRawOutOfMemory;
    }
    TableWriter table;
    RawStatus status = table.Create(path, FileKind::kHeader, kHeaderRecordSize + packedSize + 64);
    if (status == kRawOk) {
        status = table.AppendBlock(headerRecord, kHeaderRecordSize);
    }
    if (status == kRawOk) {
        status = table.AppendBlock(packed.data(), packedSize);
    }
    if (status == kRawOk) {
        status = table.Finish(kBlockEntrySize, static_cast<std::uint32_t>(stream.size()), listing);
    }
    return status;
}

RawStatus ReadHeaderFile(const std::string& path, const ManifestEntry& expected, void* headerRecord,
                         void* headerBlock) {
    TableReader table;
    RawStatus status = table.Open(path, FileKind::kHeader, kBlockEntrySize, 2, true, &expected);
    if (status != kRawOk) {
        return status;
    }
    const std::size_t streamSize = table.Aux();
    if (table.EntryCount() != 2 || table.Block(0).length != kHeaderRecordSize || streamSize < 8 ||
        streamSize > kMaxSegmentStream || table.Block(1).length > MaxDeflatedLength(streamSize) ||
        streamSize > std::size_t{table.Block(1).length} * kMaxDeflateRatio) {
        return table.Corrupt("its blocks or the length of its header block stream do not hold");
    }
    std::vector<std::uint8_t> packed(table.Block(1).length);
    if ((status = table.ReadBlock(1, packed.data())) != kRawOk) {
        return status;
    }
    std::vector<std::uint8_t> stream(streamSize);
    uLongf unpackedSize = static_cast<uLongf>(streamSize);
    uLong packedSize = static_cast<uLong>(packed.size());
    const int rc = uncompress2(stream.data(), &unpackedSize, packed.data(), &packedSize);
    if (rc == Z_MEM_ERROR) {
        return kRawOutOfMemory;
    }
    if (rc != Z_OK || unpackedSize != streamSize || packedSize != packed.size()) {
        return table.Corrupt("its header block does not inflate to the length it gives");
    }
    if ((status = RestoreZeroRuns(stream, static_cast<std::uint8_t*>(headerBlock))) != kRawOk) {
        return table.Corrupt("its header block stream does not restore to a whole block");
    }
    return table.ReadBlock(0, headerRecord);
}

}  // namespace rawio
