#include "mzml/scan_record_mapping.h"

#include <cmath>
#include <cstring>

#include "rawio/byte_order.h"

namespace mzml {

namespace {

using rawio::Load32;
using rawio::LoadF32;
using rawio::LoadF64;
using rawio::Store32;
using rawio::StoreF32;
using rawio::StoreF64;

// Statistics record offsets.
constexpr std::size_t kRetention = 0;
constexpr std::size_t kTic = 8;
constexpr std::size_t kBasePeakMz = 16;
constexpr std::size_t kBasePeakIntensity = 24;
constexpr std::size_t kLowestMz = 32;
constexpr std::size_t kHighestMz = 40;
constexpr std::size_t kPrecursorMz = 48;
constexpr std::size_t kPrecursorCharge = 56;
constexpr std::size_t kMsLevel = 60;
constexpr std::size_t kSourceIndex = 64;
constexpr std::size_t kIdLength = 68;
constexpr std::size_t kId = 72;
constexpr std::size_t kMagic = kStatsRecordSize - sizeof kStatsMagic;
static_assert(kId + kMaxStoredIdBytes == kMagic);

}  // namespace

ScanHeaderBytes EncodeScanHeader(const ScanMetadata& scan) {
    ScanHeaderBytes header{};
    Store32(header.data(), scan.profile ? 1 : 0);
    Store32(header.data() + 4, scan.negative ? 1 : 0);
    StoreF32(header.data() + 8, static_cast<float>(scan.retentionSeconds / 60.0));
    StoreF32(header.data() + 12, static_cast<float>(scan.totalIonCurrent));
    StoreF32(header.data() + 16, static_cast<float>(scan.basePeakMz));
    return header;
}

double RetentionSecondsFromHeader(const std::uint8_t* word2) {
    const float minutes = LoadF32(word2);
    return std::isfinite(minutes) && minutes >= 0.0f ? static_cast<double>(minutes) * 60.0
                                                     : kAbsent;
}

StatsRecordBytes EncodeStatsRecord(const ScanMetadata& scan) {
    StatsRecordBytes record{};
    std::uint8_t* r = record.data();
    StoreF64(r + kRetention, scan.retentionSeconds);
    StoreF64(r + kTic, scan.totalIonCurrent);
    StoreF64(r + kBasePeakMz, scan.basePeakMz);
    StoreF64(r + kBasePeakIntensity, scan.basePeakIntensity);
    StoreF64(r + kLowestMz, scan.lowestMz);
    StoreF64(r + kHighestMz, scan.highestMz);
    StoreF64(r + kPrecursorMz, scan.precursorMz);
    Store32(r + kPrecursorCharge, static_cast<std::uint32_t>(scan.precursorCharge));
    Store32(r + kMsLevel, static_cast<std::uint32_t>(scan.msLevel));
    Store32(r + kSourceIndex, scan.sourceIndex);
    const std::size_t idLength = std::min(scan.nativeId.size(), kMaxStoredIdBytes);
    Store32(r + kIdLength, static_cast<std::uint32_t>(idLength));
    std::memcpy(r + kId, scan.nativeId.data(), idLength);
    std::memcpy(r + kMagic, kStatsMagic, sizeof kStatsMagic);
    return record;
}

bool DecodeStatsRecord(const StatsRecordBytes& record, ScanMetadata& scan) {
    const std::uint8_t* r = record.data();
    const std::uint32_t idLength = Load32(r + kIdLength);
    if (std::memcmp(r + kMagic, kStatsMagic, sizeof kStatsMagic) != 0 ||
        idLength > kMaxStoredIdBytes) {
        return false;
    }
    scan.retentionSeconds = LoadF64(r + kRetention);
    scan.totalIonCurrent = LoadF64(r + kTic);
    scan.basePeakMz = LoadF64(r + kBasePeakMz);
    scan.basePeakIntensity = LoadF64(r + kBasePeakIntensity);
    scan.lowestMz = LoadF64(r + kLowestMz);
    scan.highestMz = LoadF64(r + kHighestMz);
    scan.precursorMz = LoadF64(r + kPrecursorMz);
    scan.precursorCharge = static_cast<std::int32_t>(Load32(r + kPrecursorCharge));
    scan.msLevel = static_cast<std::int32_t>(Load32(r + kMsLevel));
    scan.sourceIndex = Load32(r + kSourceIndex);
    scan.nativeId.assign(reinterpret_cast<const char*>(r + kId), idLength);
    return true;
}

bool IsValidScanHeader(const ScanHeaderBytes& header) {
    for (const std::size_t word : {0u, 1u, 5u}) {
        if (Load32(header.data() + 4 * word) > 1) {
            return false;
        }
    }
    return true;
}

}  // namespace mzml
