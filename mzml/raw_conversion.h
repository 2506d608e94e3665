#pragma once

#include <functional>
#include <string>

namespace mzml {

// Conversions between open formats and our raw data files. The mapping of functions, peaks
// and scan metadata onto our records is in docs/open-formats.md. Both write their output
// under a temporary name beside it and rename it at the end: on failure they return false,
// put "<file>: <what went wrong>" into `error`, and leave no output and no temporary.

// Reads an mzML or mzXML file into a new raw data file (a directory whose name ends in
// ".raw"): function N holds the MS level N spectra in file order (functions without spectra,
// e.g. 2 in an MS1+MS3 file, hold no scans). Masses are stored as 32-bit floats (rounded to
// nearest) and intensities as unsigned 32-bit counts (rounded to nearest); an intensity that
// is negative, not a number or above 4294967295, or a spectrum without an MS level, stops the
// import with an error. `outputRaw` must not exist yet (or be an empty directory).
struct ImportOptions {
    // Import a file whose own checksum is wrong (with a warning) instead of refusing it.
    bool ignoreChecksums = false;
    std::function<void(const std::string&)> warn;
};
bool ImportMzml(const std::string& input, const std::string& outputRaw, std::string& error,
                const ImportOptions& options = {});

// Writes a raw data file as indexed mzML: every scan of function N as an MS level N spectrum,
// with its peaks exactly (32-bit m/z, 64-bit intensities, the per-peak bytes as an extra array
// when any is non-zero) and its scan header, statistics and function records carried along,
// so that ImportMzml gives back the same peaks, functions, scan counts and records.
bool ExportMzml(const std::string& inputRaw, const std::string& outputMzml, std::string& error);

}  // namespace mzml
