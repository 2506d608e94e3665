#include <algorithm>
#include <cstring>

#include "rawio/byte_order.h"

#include "crc32c.h"
#include "error_detail.h"
#include "scan_file.h"

namespace rawio {
namespace {

constexpr std::uint64_t kBytesPerPeak = 9;  // mass, intensity, peak byte

ScanHeaderFields FieldsOf(const std::uint8_t* entry) {
    return {Load32(entry + 16), Load32(entry + 20), Load32(entry + 24), Load32(entry + 28)};
}

}  // namespace

RawStatus ScanReader::Open(const std::string& path, const ManifestEntry& expected,
                           std::uint32_t expectedCount, std::uint32_t expectedCode) {
    window.clear();
    windowLength = 0;
    const RawStatus status =
        table.Open(path, FileKind::kScans, kScanEntrySize, kMaxScansPerFunction, false, &expected);
    if (status != kRawOk) {
        return status;
    }
    if (table.EntryCount() != expectedCount || table.Aux() != expectedCode) {
        return table.Corrupt("its scan count or scan file code is not the function record's");
    }
    // The blocks tile the data region in scan order; then no read can stray outside it.
    std::uint64_t next = kFileHeaderSize;
    for (std::uint32_t i = 0; i < table.EntryCount(); ++i) {
        const std::uint8_t* e = table.Entry(i);
        const std::uint32_t peaks = Load32(e + 8);
        if (Load64(e) != next || peaks > kMaxPeaksPerScan || (Load32(e + 16) & ~kScanFlagMask)) {
            return table.Corrupt("the index entry of scan " + std::to_string(i + 1) +
                                 " does not hold (offset, peak count or flags)");
        }
        next += kBytesPerPeak * peaks;
        if (next > table.DataEnd()) {
            return table.Corrupt("scan " + std::to_string(i + 1) + " runs past the data");
        }
    }
    return next == table.DataEnd() ? kRawOk
                                   : table.Corrupt("its scans do not end where its data ends");
}

std::uint32_t ScanReader::PeakCount(std::uint32_t scan) const {
    return Load32(table.Entry(scan) + 8);
}

void ScanReader::Info(std::uint32_t scan, void* scanInfo) const {
    const std::uint8_t* e = table.Entry(scan);
    FillScanInfo(FieldsOf(e), Load32(e + 8), scanInfo);
}

RawStatus ScanReader::ReadPeaks(std::uint32_t scan, float* masses, std::uint32_t* intensities,
                                std::uint8_t* peakBytes) {
    const std::uint8_t* e = table.Entry(scan);
    const std::uint64_t offset = Load64(e);
    const std::size_t n = Load32(e + 8);
    const std::uint32_t crc = Load32(e + 12);
    const std::size_t length = static_cast<std::size_t>(kBytesPerPeak * n);
    if (n == 0) {
        return ChecksumMatches(crc, 0)
                   ? kRawOk
                   : table.Corrupt("the checksum of scan " + std::to_string(scan + 1) +
                                   " does not match");
    }
    RawStatus status = kRawOk;
    std::uint32_t actual = 0;
    if (length <= kReadWindowSize) {
        // Small scans come from one window read that usually serves many scans in turn.
        if (offset < windowStart || offset + length > windowStart + windowLength) {
            windowLength = 0;
            const std::size_t fill = static_cast<std::size_t>(
                std::min<std::uint64_t>(kReadWindowSize, table.DataEnd() - offset));
            if (window.size() < fill) {
                window.resize(fill);  // a small file never costs the whole window
            }
            if ((status = table.ReadAt(offset, window.data(), fill)) != kRawOk) {
                return status;
            }
            windowStart = offset;
            windowLength = fill;
        }
        const std::uint8_t* src = window.data() + (offset - windowStart);
        actual = Crc32c(src, length);
        if (ChecksumMatches(crc, actual)) {
            std::memcpy(masses, src, 4 * n);
            std::memcpy(intensities, src + 4 * n, 4 * n);
            std::memcpy(peakBytes, src + 8 * n, n);
        }
    } else {
        // Large scans go straight into the caller's arrays.
        if ((status = table.ReadAt(offset, masses, 4 * n)) != kRawOk ||
            (status = table.ReadAt(offset + 4 * n, intensities, 4 * n)) != kRawOk ||
            (status = table.ReadAt(offset + 8 * n, peakBytes, n)) != kRawOk) {
            return status;
        }
        actual =
            Crc32cExtend(Crc32cExtend(Crc32c(masses, 4 * n), intensities, 4 * n), peakBytes, n);
    }
    if (!ChecksumMatches(crc, actual)) {
        return table.Corrupt("the checksum of scan " + std::to_string(scan + 1) +
                             " does not match");
    }
    SwapWordsToLittleEndian(masses, n);
    SwapWordsToLittleEndian(intensities, n);
    return kRawOk;
}

}  // namespace rawio
