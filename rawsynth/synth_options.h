#pragma once

#include <cstdint>

namespace rawsynth {

// What `brevanto-raw synth` makes. The same options always give the same bytes.
struct SynthOptions {
    std::uint32_t functions = 2;  // 0..65535
    std::uint32_t scans = 100;    // scans per function
    std::uint32_t peaks = 500;    // peaks per scan, 0 allowed
    std::uint64_t seed = 1;
    std::uint32_t analogChannels = 0;   // 0..65535
    std::uint32_t analogPoints = 1000;  // points per analog channel
    std::uint32_t historyRecords = 0;   // history records given to the library (0..65534)
    bool statistics = true;             // one statistics record per scan
    bool extendedExperiment = true;     // one extended-experiment record per function
    std::uint32_t companions = 0;       // plain files written next to the library's files
};

}  // namespace rawsynth
