#include "rawio/header_file.h"

#include <zlib.h>

#include <vector>

namespace rawio {

RawStatus WriteHeaderFile(const std::string& path, const void* headerRecord,
                          const void* headerBlock, FileSummary* summary) {
    uLongf packedSize = compressBound(kHeaderBlockSize);
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, static_cast<const Bytef*>(headerBlock),
                  kHeaderBlockSize, kHeaderBlockCompressionLevel) != Z_OK) {
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
        status = table.Finish(kBlockEntrySize, 0, summary);
    }
    return status;
}

RawStatus ReadHeaderFile(const std::string& path, const FileSummary& expected, void* headerRecord,
                         void* headerBlock) {
    TableReader table;
    RawStatus status = table.Open(path, FileKind::kHeader, kBlockEntrySize, 2, true, &expected);
    if (status != kRawOk) {
        return status;
    }
    if (table.EntryCount() != 2 || table.Block(0).length != kHeaderRecordSize ||
        table.Block(1).length > compressBound(kHeaderBlockSize) || table.Aux() != 0) {
        return kRawCorrupt;
    }
    std::vector<std::uint8_t> packed(table.Block(1).length);
    if ((status = table.ReadBlock(1, packed.data())) != kRawOk) {
        return status;
    }
    uLongf unpackedSize = kHeaderBlockSize;
    uLong packedSize = static_cast<uLong>(packed.size());
    const int rc = uncompress2(static_cast<Bytef*>(headerBlock), &unpackedSize, packed.data(),
                               &packedSize);
    if (rc == Z_MEM_ERROR) {
        return kRawOutOfMemory;
    }
    if (rc != Z_OK || unpackedSize != kHeaderBlockSize || packedSize != packed.size()) {
        return kRawCorrupt;
    }
    return table.ReadBlock(0, headerRecord);
}

}  // namespace rawio
