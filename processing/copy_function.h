#pragma once

#include <cstdint>

#include "params/mass_range_list.h"
#include "processing/raw_ops.h"
#include "processing/run_report.h"

namespace processing {

// The open pair of files one function is copied between.
struct CopyContext {
    const RawOps& ops;
    RawHandle readHandle;
    RawHandle createHandle;
    const params::CMassRangeList& rules;
    void* headerBlock;  // the run's header block, handed to RawReadFuncInit
};

// Copies function `function` from the input to the output: its record, every scan with its
// header (filtered when the function has rules), its statistics and extended-experiment data
// when present. Puts the 416-byte function record into `tableSlot`. Stops at the first failing
// operation with false and fills `failure` (all but its input); nothing written is undone.
bool CopyFunction(const CopyContext& context, std::int32_t function, std::uint8_t* tableSlot,
                  FunctionSummary& summary, RunFailure& failure);

}  // namespace processing
