#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace plot {

// Streams the peaks of one function of an acquisition through the readers the filter uses:
// a raw data file (a directory) by the raw data library, function `function` from 1; an mzML
// or mzXML file, plain or gzipped (told by content), the spectra of MS level `function`.
// Open-format m/z values are handed over as 32-bit floats, as the filter judges them.
//
// `onPeaks` gets each scan's peaks (masses, intensities, count); the arrays are valid for the
// call only. Memory follows the largest scan, not the file.

using PeaksCallback =
    std::function<void(const float* masses, const double* intensities, std::uint32_t count)>;

struct AcquisitionScanCount {
    std::uint64_t scans = 0;  // scans of the function read
};

struct AcquisitionReadSettings {
    // An open-format file whose own checksum is wrong is refused unless this is set; then
    // `warn` is told.
    bool ignoreChecksums = false;
    std::function<void(const std::string&)> warn;
};

// False with `error` naming the file and what went wrong (the function, the scan, the
// library's reason); a function the file does not have is an error too.
bool StreamAcquisitionPeaks(const std::string& path, std::int32_t function,
                            const PeaksCallback& onPeaks, AcquisitionScanCount& counts,
                            std::string& error,
                            const AcquisitionReadSettings& read = AcquisitionReadSettings{});

}  // namespace plot
