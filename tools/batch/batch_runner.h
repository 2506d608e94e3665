#pragma once

#include <functional>
#include <vector>

#include "processing/run_report.h"
#include "tools/batch/batch_options.h"

namespace processing {
class RunProgress;
}  // namespace processing

struct FileOutcome {
    bool attempted = false;
    bool ok = false;
    processing::FileRunSummary summary;
    processing::RunFailure failure;
};

// The output an input is written to: beside it, the suffix appended to its name, in the
// input's own format (OutputPathOf with the run's format route).
std::string BatchOutputPath(const std::string& input, const std::string& suffix);

// Runs the inputs of `options`, up to options.jobs at once, each input as a run of its own.
// Without keepGoing no input is started after one has failed. `progressFor` gives the
// progress view of an input's run (may return null). Outcomes are in input order.
std::vector<FileOutcome> RunBatch(
    const BatchOptions& options,
    const std::function<processing::RunProgress*(std::size_t)>& progressFor);
