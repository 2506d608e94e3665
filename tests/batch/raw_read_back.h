#pragma once

// Reads a whole acquisition back through the raw data library, for comparisons in tests.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rawio/raw_api.h"

struct ReadScan {
    std::array<std::uint8_t, kScanInfoSize> info{};
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, kStatsRecordSize> stats{};
};

struct ReadFunction {
    std::array<std::uint8_t, kFunctionRecordSize> record{};
    bool hasStats = false;
    bool hasEE = false;
    std::array<std::uint8_t, kEERecordSize> ee{};
    std::vector<ReadScan> scans;
};

struct ReadChannel {
    std::array<std::uint8_t, kChannelInfoSize> info{};
    std::vector<std::uint32_t> a, b;
};

struct ReadAcquisition {
    std::vector<std::uint8_t> headerRecord;
    std::vector<ReadFunction> functions;
    std::vector<ReadChannel> channels;
    std::vector<std::uint8_t> history;  // the records, count x 123 bytes
    std::uint16_t historyCount = 0;
};

// kRawOk and the whole file in `out`, or the first failing status.
RawStatus ReadBack(const std::string& path, ReadAcquisition& out);
