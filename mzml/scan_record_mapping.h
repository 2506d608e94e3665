#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "rawio/raw_api.h"
#include "rawio/record_fields.h"

namespace mzml {

// How an open-format spectrum's metadata sits in the records of our raw data files. The raw
// data library stores the scan header and the statistics record as opaque bytes; this layout
// is Brevanto's own, documented with byte tables in docs/open-formats.md. All values
// little-endian; an absent value is a quiet NaN.

inline constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

struct ScanMetadata {
    std::int32_t msLevel = 0;
    bool profile = false;               // profile (continuum) data rather than centroids
    bool negative = false;              // negative scan polarity
    double retentionSeconds = kAbsent;  // scan start time
    double totalIonCurrent = kAbsent;
    double basePeakMz = kAbsent;
    double basePeakIntensity = kAbsent;
    double lowestMz = kAbsent;
    double highestMz = kAbsent;
    double precursorMz = kAbsent;      // first selected ion of the first precursor
    std::int32_t precursorCharge = 0;  // 0 when unknown
    std::uint32_t sourceIndex = 0;     // the spectrum's index in the file it came from
    std::string nativeId;              // the spectrum's id there, up to kMaxStoredIdBytes
};

inline constexpr std::size_t kMaxStoredIdBytes = 112;
// The last eight bytes of a statistics record written by the import: a record without them
// came from elsewhere and is not read by this layout.
inline constexpr char kStatsMagic[8] = {'B', 'R', 'V', 'M', 'Z', 'M', 'L', '1'};

using ScanHeaderBytes = rawio::ScanHeaderBytes;
using StatsRecordBytes = std::array<std::uint8_t, kStatsRecordSize>;

// Scan header words: 0 profile flag, 1 negative-polarity flag, 2 retention time (float,
// minutes), 3 total ion current (float), 4 base peak m/z (float), 5 zero.
ScanHeaderBytes EncodeScanHeader(const ScanMetadata& scan);
// Retention time in seconds from word 2, or kAbsent when it is not a finite, non-negative
// number (scan headers of files not made by the import need not hold a time there).
double RetentionSecondsFromHeader(const std::uint8_t* scanHeaderOrInfoWord2);

StatsRecordBytes EncodeStatsRecord(const ScanMetadata& scan);
// False when the record does not carry kStatsMagic; `scan` is then untouched.
bool DecodeStatsRecord(const StatsRecordBytes& record, ScanMetadata& scan);

// The user parameters and the extra array by which an export carries the raw records that
// have no mzML counterpart, and by which an import takes them back.
inline constexpr const char* kScanHeaderParam = "Brevanto scan header";          // spectrum
inline constexpr const char* kStatsRecordParam = "Brevanto statistics record";   // spectrum
inline constexpr const char* kFunctionRecordParam = "Brevanto function record";  // run, + " N"
inline constexpr const char* kPeakByteArrayName = "Brevanto peak byte";  // non-standard array

// Words 0, 1 and 5 of a scan header must be 0 or 1 for the raw data library.
bool IsValidScanHeader(const ScanHeaderBytes& header);

}  // namespace mzml
