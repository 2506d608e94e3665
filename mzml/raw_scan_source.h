#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mzml/scan_record_mapping.h"
#include "rawio/raw_api.h"

namespace mzml {

// The scans of a raw data file in the order an export writes them, read one at a time so that
// an export holds one scan's peaks whatever the size of the file.
//
// Spectra that came from one open-format file (every scan has a statistics record of our
// layout) go back in that file's order, by the source index the record keeps; all others go
// function by function, scan by scan.

struct RawScanPlace {
    std::int32_t function = 0;
    std::int32_t scan = 0;
    std::uint32_t sourceIndex = 0;
};

struct RawExportScan {
    std::int32_t function = 0;
    std::int32_t scan = 0;
    // Rebuilt from the scan info as raw_api.h documents the mapping, so it is the header the
    // scan was created with.
    ScanHeaderBytes header{};
    bool hasStats = false;
    StatsRecordBytes stats{};
    // The same length each; the vectors keep their capacity from scan to scan.
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> peakBytes;
};

class RawScanSource {
  public:
    RawScanSource() = default;
    ~RawScanSource();
    RawScanSource(const RawScanSource&) = delete;
    RawScanSource& operator=(const RawScanSource&) = delete;

    // Opens the file, reads every function's record and statistics and lists the scans. False
    // with "<path>: <what>" in `error`.
    bool Open(const std::string& path, std::string& error);

    std::int32_t FunctionCount() const { return static_cast<std::int32_t>(records_.size()); }
    // The stored record of function `function` (from 1), kFunctionRecordSize bytes.
    const std::vector<std::uint8_t>& FunctionRecord(std::int32_t function) const {
        return records_[static_cast<std::size_t>(function - 1)];
    }
    const std::vector<RawScanPlace>& Places() const { return places_; }

    // Reads one scan's peaks and records. False with "<path>: <what>" naming the scan.
    bool Read(const RawScanPlace& place, RawExportScan& scan, std::string& error);

  private:
    // The message for a failed call of the raw data library, with its detail when it has one.
    std::string Failure(RawStatus status, const std::string& what) const;

    std::string path_;
    RawHandle handle_ = 0;
    std::int32_t initialised_ = 0;
    std::vector<std::vector<std::uint8_t>> records_;
    std::vector<std::uint8_t> statsTokens_;  // kStatsFileSize per function
    std::vector<bool> hasStats_;
    std::vector<RawScanPlace> places_;
};

}  // namespace mzml
