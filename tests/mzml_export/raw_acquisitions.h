#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "mzml/scan_record_mapping.h"
#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"

// Raw data files for the export tests: read back through the raw data library as the reference
// the export is compared with, and written by hand where a test needs records of a given
// content.

using Bytes = std::vector<std::uint8_t>;

struct ReferenceScan {
    std::int32_t function = 0;
    std::int32_t scan = 0;
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    Bytes peakBytes;
    Bytes statsRecord;  // empty when the function has no statistics
};

struct ReferenceAcquisition {
    std::vector<Bytes> functionRecords;
    std::vector<ReferenceScan> scans;  // function by function
};

// Reads every function record, scan and statistics record; fails the test on any error.
ReferenceAcquisition ReadReference(const std::string& path);

struct HandMadeScan {
    std::int32_t function = 1;
    mzml::ScanHeaderBytes header{};
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    Bytes peakBytes;
    mzml::StatsRecordBytes stats{};
};

// Writes an acquisition of the scans given (functions 1..max, in the order given within each
// function), every function with statistics; zero header, function records with only the
// scan count. Fails the test on any error.
void WriteHandMade(const std::string& path, const std::vector<HandMadeScan>& scans);

std::string Hex(const Bytes& bytes);
