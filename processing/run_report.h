#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rawio/raw_api.h"

namespace processing {

// Why a run stopped: the input it was working on, the operation that failed and what the
// library (or the run's own check) said about it.
struct RunFailure {
    std::string input;
    std::string operation;      // a library operation ("RawReadSpectrum") or a check of the run
    RawStatus status = kRawOk;  // the library's status; kRawOk for a failed check of the run
    std::string text;           // the library's status text, or the check's explanation
    std::string where;          // "function 2, scan 17", or empty
    // What the library knows beyond its status (RawLastErrorDetail): the file, the check
    // that failed, the system's reason. Empty when there is no more to say.
    std::string detail;

    // One sentence for messages: input, operation, place, text and detail.
    std::string Describe() const;
};

// What one function of one file gave.
struct FunctionSummary {
    std::int32_t function = 0;
    std::uint32_t scans = 0;
    std::uint64_t peaksRead = 0;
    std::uint64_t peaksKept = 0;
    bool filtered = false;
};

struct FileRunSummary {
    std::string input;
    std::string output;
    std::vector<FunctionSummary> functions;
};

}  // namespace processing
