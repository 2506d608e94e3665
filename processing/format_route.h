#pragma once

#include <string>

#include "params/mass_range_list.h"
#include "processing/run_progress.h"
#include "processing/run_report.h"

namespace processing {

// Inputs that are not raw data files (the open formats) are filtered by a route the program
// plugs into the run, so the processing core needs no library of those formats, and the
// dialog and the command line decide how an input is processed in one and the same place:
// CFilterJob asks the route first, and the raw data route takes whatever it declines.
class FormatRoute {
  public:
    virtual ~FormatRoute() = default;

    // True when this route filters `input` (told by its name or its content).
    virtual bool Takes(const std::string& input) const = 0;

    // Where the filtered copy of an input this route takes is written.
    virtual std::string OutputPath(const std::string& input, const std::string& suffix) const = 0;

    // Filters `input` into `output` (already checked with CheckOutputPath). Progress gets
    // SetRange and Step calls; SetCurrentFile, Show and Hide are the caller's. True with
    // `summary` filled on success; false with `failure` filled (input, operation, text)
    // otherwise, nothing left at `output` and no temporary beside it.
    virtual bool Filter(const std::string& input, const std::string& output,
                        const params::CMassRangeList& rules, RunProgress& progress,
                        FileRunSummary& summary, RunFailure& failure) const = 0;
};

// The output of `input`: the route's when it takes the input, else the output naming rule's
// (a trailing "/" of a raw data directory dropped first). `route` may be null.
std::string OutputPathOf(const std::string& input, const std::string& suffix,
                         const FormatRoute* route);

}  // namespace processing
