#pragma once

// A stand-in for the raw data library that keeps acquisitions in memory, records every call
// with its arguments, and can fail any one call. The batch run reaches it through RawOps.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "processing/raw_ops.h"

struct FakeScan {
    std::array<std::uint8_t, kScanInfoSize> info{};
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, kStatsRecordSize> stats{};
};

struct FakeFunction {
    std::array<std::uint8_t, kFunctionRecordSize> record{};
    std::vector<FakeScan> scans;
    bool hasStats = true;
    bool hasEE = true;
    std::array<std::uint8_t, kEERecordSize> ee{};
};

struct FakeChannel {
    std::array<std::uint8_t, kChannelInfoSize> info{};
    std::vector<std::uint32_t> first;   // as the create call takes it first
    std::vector<std::uint32_t> second;  // and second
};

struct FakeInput {
    std::array<std::uint8_t, kHeaderRecordSize> headerRecord{};
    std::vector<FakeFunction> functions;
    bool hasAnalog = true;
    std::vector<FakeChannel> channels;
    std::vector<std::array<std::uint8_t, kProcessRecordSize>> history;
};

struct FakeWrittenScan {
    std::int32_t function = 0;
    std::array<std::uint8_t, kScanHeaderSize> header{};
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
};

struct FakeOutput {
    std::array<std::uint8_t, kHeaderRecordSize> headerRecord{};
    std::vector<FakeWrittenScan> scans;
    std::vector<std::array<std::uint8_t, kStatsRecordSize>> stats;
    std::vector<std::array<std::uint8_t, kEERecordSize>> ee;
    std::vector<std::uint8_t> functionTable;
    std::vector<std::uint8_t> channelInfos;
    std::vector<FakeChannel> channels;
    std::uint16_t historyCount = 0;
    bool closed = false;
    bool abandoned = false;
};

class FakeRawLibrary {
  public:
    FakeRawLibrary();  // becomes the library that Ops() reaches
    ~FakeRawLibrary();
    FakeRawLibrary(const FakeRawLibrary&) = delete;
    FakeRawLibrary& operator=(const FakeRawLibrary&) = delete;

    static const processing::RawOps& Ops();

    std::map<std::string, FakeInput> inputs;
    std::map<std::string, FakeOutput> outputs;
    std::vector<std::string> calls;  // "RawReadOpen(a.raw)", ... in call order

    std::size_t failAt = 0;  // the 1-based call that fails; 0 for none
    RawStatus failStatus = kRawIoError;
    std::uint32_t extraPeaksReported = 0;  // a second spectrum read that claims more peaks
    std::size_t liveAllocations = 0;       // open handles, checked to be 0 after a run
};

// A function of `scans` scans of `peaks` peaks each, with distinct values throughout.
FakeFunction MakeFakeFunction(std::uint32_t scans, std::uint32_t peaks, std::uint32_t seed,
                              std::uint32_t scanFileCode = 5);
