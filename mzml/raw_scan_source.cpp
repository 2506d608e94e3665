#include "mzml/raw_scan_source.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "mzml/markup_scanner.h"

namespace {

std::uint32_t GetU32(const std::uint8_t* at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= std::uint32_t{at[i]} << (8 * i);
    }
    return value;
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

ScanHeaderBytes HeaderFromScanInfo(const std::uint8_t* info) {
    ScanHeaderBytes header{};
    const std::uint32_t word0 = GetU32(info + kScanInfoCountOffset);
    const std::uint32_t flags = GetU32(info + kScanInfoFlagsOffset);
    PutU32(header.data(), (word0 & kScanInfoFlagBit) != 0 ? 1u : 0u);
    PutU32(header.data() + 4, flags & 1u);
    std::memcpy(header.data() + 8, info + kScanInfoValue32Offset, 4);
    std::memcpy(header.data() + 12, info + kScanInfoValue12Offset, 4);
    std::memcpy(header.data() + 16, info + kScanInfoValue36Offset, 4);
    PutU32(header.data() + 20, (flags >> 2) & 1u);
    return header;
}

std::string ScanName(std::int32_t function, std::int32_t scan) {
    return "function " + std::to_string(function) + ", scan " + std::to_string(scan);
}

}  // namespace

RawScanSource::~RawScanSource() {
    for (std::int32_t f = 1; f <= initialised_; ++f) {
        RawReadFuncEnd(handle_, f, 0);
    }
    if (handle_ != 0) {
        RawReadClose(handle_);
    }
}

std::string RawScanSource::Failure(RawStatus status, const std::string& what) const {
    std::string text = what + ": " + RawStatusText(status);
    const std::string detail = RawLastErrorDetail();
    if (!detail.empty() && detail != RawStatusText(status)) {
        text += " (" + detail + ")";
    }
    return FileMessage(path_, text);
}

bool RawScanSource::Open(const std::string& path, std::string& error) {
    path_ = path;
    RawStatus status = RawReadOpen(path.c_str(), &handle_);
    if (status != kRawOk) {
        handle_ = 0;
        error = Failure(status, "cannot be opened as a raw data file");
        return false;
    }
    std::vector<std::uint8_t> headerRecord(kHeaderRecordSize);
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    std::uint16_t functionCount = 0;
    status =
        RawReadHeader(handle_, headerRecord.data(), headerBlock.data(), &functionCount, nullptr);
    if (status != kRawOk) {
        error = Failure(status, "cannot read its header");
        return false;
    }
    records_.assign(functionCount, std::vector<std::uint8_t>(kFunctionRecordSize));
    statsTokens_.assign(std::size_t{functionCount} * kStatsFileSize, 0);
    hasStats_.assign(functionCount, false);
    bool allMapped = true;
    for (std::int32_t f = 1; f <= functionCount; ++f) {
        const std::string function = "function " + std::to_string(f);
        const auto i = static_cast<std::size_t>(f - 1);
        std::vector<std::uint8_t>& record = records_[i];
        status = RawReadFuncInfo(handle_, f, record.data(), nullptr);
        if (status == kRawOk) {
            status = RawReadFuncInit(handle_, f, 0, 0, record.data(), headerBlock.data());
        }
        if (status != kRawOk) {
            error = Failure(status, "cannot read " + function);
            return false;
        }
        initialised_ = f;
        std::uint8_t* token = statsTokens_.data() + i * kStatsFileSize;
        status = RawReadGetStatsFile(handle_, f, 0, token);
        if (status != kRawOk && status != kRawNoData) {
            error = Failure(status, "cannot read the statistics of " + function);
            return false;
        }
        hasStats_[i] = status == kRawOk;
        const std::uint32_t scans = GetU32(record.data() + kFunctionRecordScanCountOffset);
        for (std::uint32_t s = 1; s <= scans; ++s) {
            RawScanPlace place{f, static_cast<std::int32_t>(s), 0};
            StatsRecordBytes stats{};
            ScanMetadata mapped;
            if (hasStats_[i]) {
                status = RawStatsReadEntry(token, place.scan, stats.data());
                if (status != kRawOk) {
                    error = Failure(
                        status, "cannot read the statistics record of " + ScanName(f, place.scan));
                    return false;
                }
            }
            if (hasStats_[i] && DecodeStatsRecord(stats, mapped)) {
                place.sourceIndex = mapped.sourceIndex;
            } else {
                allMapped = false;
            }
            places_.push_back(place);
        }
    }
    if (allMapped) {
        std::stable_sort(places_.begin(), places_.end(),
                         [](const RawScanPlace& a, const RawScanPlace& b) {
                             return a.sourceIndex < b.sourceIndex;
                         });
    }
    return true;
}

bool RawScanSource::Read(const RawScanPlace& place, RawExportScan& scan, std::string& error) {
    const std::string name = ScanName(place.function, place.scan);
    scan.function = place.function;
    scan.scan = place.scan;
    std::array<std::uint8_t, kScanInfoSize> info{};
    std::uint32_t capacity = 0;
    RawStatus status = RawReadSpectrum(handle_, place.function, 0, place.scan, 1, &capacity,
                                       info.data(), nullptr, nullptr, nullptr, 0);
    if (status != kRawOk) {
        error = Failure(status, "cannot read " + name);
        return false;
    }
    const std::uint32_t count = GetU32(info.data()) & kScanInfoCountMask;
    try {
        // One element at least, so the arrays given to the library are never null.
        const std::size_t size = std::max<std::size_t>(count, 1);
        scan.masses.resize(size);
        scan.intensities.resize(size);
        scan.peakBytes.resize(size);
    } catch (const std::bad_alloc&) {
        error = FileMessage(
            path_, name + ": not enough memory for its " + std::to_string(count) + " peaks");
        return false;
    }
    capacity = count;
    if (count > 0) {
        status =
            RawReadSpectrum(handle_, place.function, 0, place.scan, 1, &capacity, info.data(),
                            scan.masses.data(), scan.intensities.data(), scan.peakBytes.data(), 0);
        if (status != kRawOk) {
            error = Failure(status, "cannot read the peaks of " + name);
            return false;
        }
    }
    scan.masses.resize(capacity);
    scan.intensities.resize(capacity);
    scan.peakBytes.resize(capacity);
    scan.header = HeaderFromScanInfo(info.data());
    const auto f = static_cast<std::size_t>(place.function - 1);
    scan.hasStats = hasStats_[f];
    if (scan.hasStats) {
        status = RawStatsReadEntry(statsTokens_.data() + f * kStatsFileSize, place.scan,
                                   scan.stats.data());
        if (status != kRawOk) {
            error = Failure(status, "cannot read the statistics record of " + name);
            return false;
        }
    }
    return true;
}
