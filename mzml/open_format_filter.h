#pragma once

#include <functional>
#include <string>

#include "params/mass_range_list.h"
#include "processing/run_progress.h"
#include "processing/run_report.h"

namespace mzml {

// Filtering mzML and mzXML files (plain or gzipped) with the peak filter of our raw data files.
//
// A rule's function is the spectrum's MS level (function 1 = MS1, 2 = MS2, ...). The output is
// the input with only the filtered peaks gone and what describes them updated; every other
// byte is carried over. See docs/open-formats.md for the exact list of changes.

// True when the path names an open-format input by its name: .mzML or .mzXML, optionally
// followed by .gz, in any letter case.
bool IsOpenFormatPath(const std::string& path);

// True when the file's content is mzML or mzXML (gzipped or not), whatever its name.
bool IsOpenFormatFile(const std::string& path);

// The output path: the suffix goes after the name, before the format's extensions, which are
// kept (x.mzML -> x_BRV.mzML, x.mzXML -> x_BRV.mzXML, x.mzML.gz -> x_BRV.mzML.gz).
std::string OpenFormatOutputPath(const std::string& input, const std::string& suffix);

struct OpenFormatOptions {
    // Filter a file whose own checksum is wrong (with a warning) instead of refusing it.
    bool ignoreChecksums = false;
    std::function<void(const std::string&)> warn;
};

// Reads `input` and writes the filtered copy to `output`, in the input's format and, for a
// gzipped input, gzipped. `progress` may be null; otherwise it gets SetRange(kOpenFormatSteps)
// and one Step() per hundredth of the input read (SetCurrentFile is the caller's). On success fills
// `summary` (one FunctionSummary per MS level present, ascending) and returns true. On failure
// returns false with "<file>: <what went wrong>" in `error`; nothing is left at `output` (an
// existing file there is not touched) and no temporary remains.
bool FilterOpenFormatFile(const std::string& input, const std::string& output,
                          const params::CMassRangeList& rules, processing::RunProgress* progress,
                          processing::FileRunSummary& summary, std::string& error,
                          const OpenFormatOptions& options = {});

inline constexpr std::uint16_t kOpenFormatSteps = 100;

}  // namespace mzml
