#include "mzml/raw_scan_source.h"

#include <algorithm>
#include <array>
#include <new>

#include "mzml/markup_scanner.h"
#include "rawio/record_fields.h"

namespace mzml {

namespace {

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
        const std::uint32_t scans = rawio::FunctionScanCount(record.data());
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
    const std::uint32_t count = rawio::ScanInfoPeakCount(info.data());
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
    scan.header = rawio::ScanHeaderFromScanInfo(info.data());
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

}  // namespace mzml
