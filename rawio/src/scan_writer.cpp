#include <cstring>

#include "rawio/byte_order.h"

#include "scan_file.h"

namespace rawio {

RawStatus DecodeScanHeader(const void* scanHeader, ScanHeaderFields* fields) {
    const auto* p = static_cast<const std::uint8_t*>(scanHeader);
    const std::uint32_t w0 = Load32(p);
    const std::uint32_t w1 = Load32(p + 4);
    const std::uint32_t w5 = Load32(p + 20);
    if (w0 > 1 || w1 > 1 || w5 > 1) {
        return kRawBadArgument;
    }
    fields->flags = w0 | (w1 << 1) | (w5 << 2);
    fields->word2 = Load32(p + 8);
    fields->word3 = Load32(p + 12);
    fields->word4 = Load32(p + 16);
    return kRawOk;
}

void FillScanInfo(const ScanHeaderFields& fields, std::uint32_t peakCount, void* scanInfo) {
    std::uint8_t info[kScanInfoSize] = {};
    Store32(info + kScanInfoCountOffset,
            (peakCount & kScanInfoCountMask) | ((fields.flags & 1u) ? kScanInfoFlagBit : 0u));
    Store32(info + kScanInfoFlagsOffset, ((fields.flags >> 1) & 1u) | ((fields.flags & 4u)));
    Store32(info + kScanInfoValue12Offset, fields.word3);
    Store32(info + kScanInfoValue32Offset, fields.word2);
    Store32(info + kScanInfoValue36Offset, fields.word4);
    std::memcpy(scanInfo, info, sizeof info);
}

RawStatus ScanWriter::Create(const std::string& path, std::int32_t scanFileCode) {
    code = scanFileCode;
    return table.Create(path, FileKind::kScans, kWriteBufferSize);
}

RawStatus ScanWriter::Append(const ScanHeaderFields& fields, std::uint32_t peakCount,
                             const float* masses, const std::uint32_t* intensities,
                             const std::uint8_t* peakBytes) {
    table.BeginBlock();
    RawStatus status = kRawOk;
    if (peakCount > 0) {
        static_assert(sizeof(float) == 4);
        if ((status = table.AppendWords(masses, peakCount)) != kRawOk ||
            (status = table.AppendWords(intensities, peakCount)) != kRawOk ||
            (status = table.Append(peakBytes, peakCount)) != kRawOk) {
            return status;
        }
    }
    std::uint8_t entry[kScanEntrySize];
    Store64(entry, table.BlockOffset());
    Store32(entry + 8, peakCount);
    Store32(entry + 12, table.BlockCrc());
    Store32(entry + 16, fields.flags);
    Store32(entry + 20, fields.word2);
    Store32(entry + 24, fields.word3);
    Store32(entry + 28, fields.word4);
    table.AddEntry(entry, sizeof entry);
    return kRawOk;
}

RawStatus ScanWriter::Finish(ManifestEntry* listing) {
    return table.Finish(kScanEntrySize, static_cast<std::uint32_t>(code), listing);
}

}  // namespace rawio
