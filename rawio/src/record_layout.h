#pragma once

// How each file of fixed-size records is laid out: its kind, record size, lead block and the
// record limit a reader enforces. The reader and the writer take them from here, so the two
// can never disagree about a file.

#include "rawio/raw_api.h"

#include "format.h"
#include "record_file.h"

namespace rawio {

inline constexpr RecordLayout kFunctionLayout{FileKind::kFunctions, kFunctionRecordSize, 0,
                                              kMaxFunctions};
inline constexpr RecordLayout kStatsLayout{FileKind::kStats, kStatsRecordSize, 0,
                                           kMaxScansPerFunction};
inline constexpr RecordLayout kExtendedLayout{FileKind::kExtended, kEERecordSize, 0,
                                              kMaxExtendedRecords};
// The history's lead block is processInfo, which carries the record count.
inline constexpr RecordLayout kHistoryLayout{FileKind::kHistory, kProcessRecordSize,
                                             kProcessInfoSize, kMaxHistoryRecords};

}  // namespace rawio
