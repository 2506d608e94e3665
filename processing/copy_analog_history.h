#pragma once

#include "processing/raw_ops.h"
#include "processing/run_report.h"

namespace processing {

// Copies the analog channels and the processing history from the open input to the open
// output. A failing RawReadAnalogNumber means the input has no analog channels; every other
// failing call ends the copy with false and fills `failure` (all but its input).
bool CopyAnalogAndHistory(const RawOps& ops, RawHandle readHandle, RawHandle createHandle,
                          RunFailure& failure);

}  // namespace processing
