#pragma once

#include <string>

#include "rawio/raw_api.h"
#include "rawsynth/synth_options.h"

namespace rawsynth {

// Writes a deterministic synthetic acquisition to `path` through the library's create
// operations: the same options give the same bytes in every file of the directory.
//
// Each function has options.scans scans of options.peaks peaks (see GenerateSynthScan), with a
// statistics record per scan and one extended-experiment record unless switched off; then
// options.analogChannels channels of options.analogPoints points; then, when
// options.historyRecords > 0, that many history records, to which the library adds its own (so
// the file reads back historyRecords + 1; with 0 the history is left out and reads back 0);
// then options.companions plain files beside the library's files.
//
// On failure the file is left incomplete and, when `failedStep` is non-null, it receives what
// failed (e.g. "RawCreateScansEx for function 2, scan 7").
RawStatus SynthesizeAcquisition(const std::string& path, const SynthOptions& options,
                                std::string* failedStep = nullptr);

}  // namespace rawsynth
