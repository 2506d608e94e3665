#pragma once

#include <string>

#include "params/mass_range_list.h"
#include "processing/run_progress.h"
#include "processing/run_report.h"

// Filtering mzML and mzXML files with the peak filter of our raw data files.
//
// A rule's function is the spectrum's MS level (function 1 = MS1, 2 = MS2, ...). Spectra of a
// level without rules, and spectra without an MS level, are written unchanged. A peak is
// decided on its m/z rounded to a 32-bit float, as the raw filter decides the float masses of
// our raw data files; kept peaks keep their original values and the array precision of the
// input. Everything else the library carries (run and instrument metadata, spectrum metadata,
// chromatograms) is written as read, and the file gets a data-processing entry naming Brevanto
// and listing the rules. See docs/open-formats.md.

// True when the path names an input for FilterOpenFormatFile by its extension: .mzML or
// .mzXML, in any case. (The filter itself goes by content.)
bool IsOpenFormatPath(const std::string& path);

// The output path of an open-format input: OutputPathFor(input, suffix), with an .mzXML
// extension replaced by .mzML, because the output is always mzML (x.mzXML -> x_BRV.mzML).
std::string OpenFormatOutputPath(const std::string& input, const std::string& suffix);

// Reads `input` (mzML or mzXML) and writes the filtered file as indexed mzML to `output`,
// streaming spectrum by spectrum. `progress` may be null; otherwise it gets
// SetCurrentFile(input), then SetRange(steps) once the input is open, with one Step() per
// chunk of spectra written (at most 1000 steps; one spectrum per step for smaller files).
// Show and Hide are the caller's. On success fills `summary` (one FunctionSummary per MS level
// present, function = MS level, ascending) and returns true. On failure returns false with
// "<file>: <what went wrong>" in `error`; no file is left at `output` (an existing one is not
// touched) and no temporary remains.
bool FilterOpenFormatFile(const std::string& input, const std::string& output,
                          const CMassRangeList& rules, RunProgress* progress, FileSummary& summary,
                          std::string& error);
