#pragma once

// Test-only: small synthetic acquisitions, written and read back through the API in the
// sequences the batch run uses.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"

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
    Bytes arrayA;
    Bytes arrayB;
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

struct SynthOptions {
    std::uint32_t seed = 1;
    int functions = 2;
    int scansPerFunction = 3;
    int maxPeaks = 20;
    bool stats = true;
    bool extended = true;
    int channels = 2;
    int analogPoints = 5;
    int historyRecords = 2;
};

Acquisition MakeAcquisition(const SynthOptions& options);

// Sets the function record fields the library checks: scan count and scan file code.
void SetFunctionFields(Bytes& record, std::uint32_t scanCount, std::uint32_t code);
std::uint32_t ScanCode(const Bytes& functionRecord);

// The whole create sequence; on the first failure abandons the handle and returns the status.
RawStatus WriteAcquisition(const std::string& path, const Acquisition& acquisition);
// The whole read sequence of the batch run (EE: record 1 only). Returns the first failure.
// Reuses the header block storage of *acquisition, so sweeps that read thousands of times stay
// fast under the sanitizers.
RawStatus ReadAcquisition(const std::string& path, Acquisition* acquisition);

// What reading back a written acquisition gives: the history has the library's record added.
// `libraryRecord` is that record as read back.
bool SameExceptHistory(const Acquisition& a, const Acquisition& b);

// The sweeps create hundreds of files, so their directories live in memory.
struct TempDir : ScratchDir {
    TempDir() : ScratchDir(Backing::kMemory) {}
};

using ::ListNames;
using ::ReadFileBytes;
using ::WriteFileBytes;

}  // namespace rawtest
