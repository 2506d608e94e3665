#pragma once

// One function's scan file: the peaks of each scan as one checksummed block (masses, then
// intensities, then peak bytes) and an index entry per scan holding the block's place, the
// peak count and the scan header, so that a size query never touches the data region.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "table_file.h"

namespace rawio {

// The scan header with its 0-or-1 words packed into flag bits (see docs/raw-format.md).
struct ScanHeaderFields {
    std::uint32_t flags = 0;  // bit 0: word 0, bit 1: word 1, bit 2: word 5
    std::uint32_t word2 = 0;
    std::uint32_t word3 = 0;
    std::uint32_t word4 = 0;
};
inline constexpr std::uint32_t kScanFlagMask = 7;

// kRawBadArgument when a 0-or-1 word holds anything else.
RawStatus DecodeScanHeader(const void* scanHeader, ScanHeaderFields* fields);
void FillScanInfo(const ScanHeaderFields& fields, std::uint32_t peakCount, void* scanInfo);

class ScanWriter {
  public:
    RawStatus Create(const std::string& path, std::int32_t scanFileCode);
    RawStatus Append(const ScanHeaderFields& fields, std::uint32_t peakCount, const float* masses,
                     const std::uint32_t* intensities, const std::uint8_t* peakBytes);
    RawStatus Finish(ManifestEntry* listing);
    std::uint32_t Count() const { return table.EntryCount(); }
    std::int32_t Code() const { return code; }

  private:
    TableWriter table;
    std::int32_t code = 0;
};

class ScanReader {
  public:
    // Checks the index against the function record: its scan count and scan file code.
    RawStatus Open(const std::string& path, const ManifestEntry& expected,
                   std::uint32_t expectedCount, std::uint32_t expectedCode);
    std::uint32_t Count() const { return table.EntryCount(); }
    std::uint32_t PeakCount(std::uint32_t scan) const;  // scan from 0
    void Info(std::uint32_t scan, void* scanInfo) const;
    RawStatus ReadPeaks(std::uint32_t scan, float* masses, std::uint32_t* intensities,
                        std::uint8_t* peakBytes);

  private:
    TableReader table;
    std::vector<std::uint8_t> window;  // recent stretch of the data region
    std::uint64_t windowStart = 0;
    std::size_t windowLength = 0;
};

}  // namespace rawio
