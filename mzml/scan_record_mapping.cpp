#include "mzml/scan_record_mapping.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetU32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= std::uint32_t{at[i]} << (8 * i);
    }
    return value;
}

void PutF64(std::uint8_t* at, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    PutU32(at, static_cast<std::uint32_t>(bits));
    PutU32(at + 4, static_cast<std::uint32_t>(bits >> 32));
}

double GetF64(const std::uint8_t* at) {
    return std::bit_cast<double>(std::uint64_t{GetU32(at)} | (std::uint64_t{GetU32(at + 4)} << 32));
}

void PutF32(std::uint8_t* at, double value) {
    PutU32(at, std::bit_cast<std::uint32_t>(static_cast<float>(value)));
}

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
    PutU32(header.data(), scan.profile ? 1 : 0);
    PutU32(header.data() + 4, scan.negative ? 1 : 0);
    PutF32(header.data() + 8, scan.retentionSeconds / 60.0);
    PutF32(header.data() + 12, scan.totalIonCurrent);
    PutF32(header.data() + 16, scan.basePeakMz);
    return header;
}

double RetentionSecondsFromHeader(const std::uint8_t* word2) {
    const float minutes = std::bit_cast<float>(GetU32(word2));
    return std::isfinite(minutes) && minutes >= 0.0f ? static_cast<double>(minutes) * 60.0
                                                     : kAbsent;
}

StatsRecordBytes EncodeStatsRecord(const ScanMetadata& scan) {
    StatsRecordBytes record{};
    std::uint8_t* r = record.data();
    PutF64(r + kRetention, scan.retentionSeconds);
    PutF64(r + kTic, scan.totalIonCurrent);
    PutF64(r + kBasePeakMz, scan.basePeakMz);
    PutF64(r + kBasePeakIntensity, scan.basePeakIntensity);
    PutF64(r + kLowestMz, scan.lowestMz);
    PutF64(r + kHighestMz, scan.highestMz);
    PutF64(r + kPrecursorMz, scan.precursorMz);
    PutU32(r + kPrecursorCharge, static_cast<std::uint32_t>(scan.precursorCharge));
    PutU32(r + kMsLevel, static_cast<std::uint32_t>(scan.msLevel));
    PutU32(r + kSourceIndex, scan.sourceIndex);
    const std::size_t idLength = std::min(scan.nativeId.size(), kMaxStoredIdBytes);
    PutU32(r + kIdLength, static_cast<std::uint32_t>(idLength));
    std::memcpy(r + kId, scan.nativeId.data(), idLength);
    std::memcpy(r + kMagic, kStatsMagic, sizeof kStatsMagic);
    return record;
}

bool DecodeStatsRecord(const StatsRecordBytes& record, ScanMetadata& scan) {
    const std::uint8_t* r = record.data();
    const std::uint32_t idLength = GetU32(r + kIdLength);
    if (std::memcmp(r + kMagic, kStatsMagic, sizeof kStatsMagic) != 0 ||
        idLength > kMaxStoredIdBytes) {
        return false;
    }
    scan.retentionSeconds = GetF64(r + kRetention);
    scan.totalIonCurrent = GetF64(r + kTic);
    scan.basePeakMz = GetF64(r + kBasePeakMz);
    scan.basePeakIntensity = GetF64(r + kBasePeakIntensity);
    scan.lowestMz = GetF64(r + kLowestMz);
    scan.highestMz = GetF64(r + kHighestMz);
    scan.precursorMz = GetF64(r + kPrecursorMz);
    scan.precursorCharge = static_cast<std::int32_t>(GetU32(r + kPrecursorCharge));
    scan.msLevel = static_cast<std::int32_t>(GetU32(r + kMsLevel));
    scan.sourceIndex = GetU32(r + kSourceIndex);
    scan.nativeId.assign(reinterpret_cast<const char*>(r + kId), idLength);
    return true;
}

bool IsValidScanHeader(const ScanHeaderBytes& header) {
    for (const std::size_t word : {0u, 1u, 5u}) {
        if (GetU32(header.data() + 4 * word) > 1) {
            return false;
        }
    }
    return true;
}
