#pragma once

// A whole acquisition held in memory, every record and array of it, for tests that write one
// through the raw data library, read it back and compare. The records come from rawsynth's
// builders, as `brevanto-raw synth` writes them; a test chooses only the shape (how many of
// each part, which parts at all) and may edit any record before writing it.

#include <cstdint>
#include <optional>
#include <vector>

#include "rawio/raw_api.h"

namespace rawtest {

using Bytes = std::vector<std::uint8_t>;

struct Scan {
    Bytes header = Bytes(kScanHeaderSize);
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    Bytes peakBytes;
    bool operator==(const Scan&) const = default;
};

struct Function {
    Bytes record = Bytes(kFunctionRecordSize);
    std::vector<Scan> scans;
    std::optional<std::vector<Bytes>> stats;     // one per scan
    std::optional<std::vector<Bytes>> extended;  // read back: only the first record is read
    bool operator==(const Function&) const = default;
};

struct Channel {
    Bytes info = Bytes(kChannelInfoSize);
    std::vector<std::uint32_t> arrayA;  // the first array of RawCreateAnalogDataScans
    std::vector<std::uint32_t> arrayB;
    bool operator==(const Channel&) const = default;
};

struct Acquisition {
    Bytes headerRecord = Bytes(kHeaderRecordSize);
    Bytes headerBlock;  // kHeaderBlockSize once filled; empty by default to keep copies cheap
    std::vector<Function> functions;
    std::vector<Channel> channels;
    Bytes processInfo = Bytes(kProcessInfoSize);  // count at bytes 2..3
    std::vector<Bytes> processRecords;
    bool operator==(const Acquisition&) const = default;
};

// How much of everything MakeAcquisition makes. The first scan of each function has maxPeaks
// peaks and the others from 0 to maxPeaks, so that one acquisition holds the largest scan,
// odd sizes and, now and then, an empty scan; channel k has analogPoints + k points, so
// channels differ in length.
struct AcquisitionShape {
    std::uint64_t seed = 1;
    int functions = 2;
    int scansPerFunction = 3;
    int maxPeaks = 20;
    bool stats = true;
    bool extended = true;
    int channels = 2;
    int analogPoints = 5;
    int historyRecords = 2;
};

// The same shape always gives the same acquisition.
Acquisition MakeAcquisition(const AcquisitionShape& shape);

// What reading back a written acquisition gives, the history aside: the library adds its own
// history record to every file it creates.
bool SameExceptHistory(const Acquisition& a, const Acquisition& b);

}  // namespace rawtest
