#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mzml/byte_sink.h"
#include "mzml/byte_source.h"
#include "mzml/scan_record_mapping.h"
#include "params/mass_range_list.h"
#include "processing/run_report.h"

namespace mzml {

// One pass over an mzML or mzXML document, front to back. With a sink it is the filter: the
// input is copied to the sink unchanged except where peaks are dropped (see
// docs/open-formats.md for the exact list of changes). Without one it is the reader: each
// spectrum's peaks are decoded and handed to a callback. Both modes parse and decode the same
// way. The filter decodes only the spectra it filters and carries the others as they are;
// the reader decodes every spectrum it hands over, so damage inside a spectrum the filter does
// not touch passes the filter and stops the reader.

enum class OpenFormat { kMzml, kMzxml };

// A spectrum as the reader hands it over.
struct SpectrumPeaks {
    ScanMetadata scan;  // msLevel 0 when the file states none
    std::vector<double> mz;
    std::vector<double> intensity;
    // mzML only: the spectrum's user parameters (name, value), and the values of an extra
    // array named "Brevanto peak byte" (empty when there is none).
    std::vector<std::pair<std::string, std::string>> userParams;
    std::vector<double> peakBytes;
};

struct PassSettings {
    // Filter mode: the rules (function = MS level) and where the output goes.
    const params::CMassRangeList* rules = nullptr;
    ByteSink* sink = nullptr;  // finished (flushed to disk) by a pass that succeeds
    // Read mode: called for every spectrum; false (with `error`) stops the pass.
    std::function<bool(const SpectrumPeaks&, std::string& error)> onSpectrum;
    // Read mode: when set, only spectra of levels it accepts are decoded; the others reach
    // onSpectrum with their metadata and no peaks.
    std::function<bool(std::int32_t level)> decodeLevel;
    // A file whose own checksum is wrong is refused unless this is set; then `warn` is told.
    bool ignoreChecksums = false;
    std::function<void(const std::string&)> warn;
    // Called now and then with the bytes of the file read so far and its size.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

struct PassResult {
    OpenFormat format = OpenFormat::kMzml;
    // One entry per MS level met, ascending (function = level); spectra without a level are
    // counted under function 0.
    std::vector<processing::FunctionSummary> levels;
    // mzML only: the user parameters of <run> (name, value).
    std::vector<std::pair<std::string, std::string>> runUserParams;
};

// The limit on input held at once: one spectrum with the tags around it, or the file's header.
inline constexpr std::size_t kMaxHeldBytes = std::size_t{24} << 20;

// Tells the format by content: the root element within the first 64 KiB (inflated for gzip).
// False when the file cannot be read or its root is neither.
bool SniffOpenFormat(const std::string& path, OpenFormat& format);

// Runs the pass over `path`. False with "<path>: <what>" (and, where it helps, the spectrum)
// in `error`; in filter mode an output error names the output through the sink's message.
bool RunDocumentPass(const std::string& path, const PassSettings& settings, PassResult& result,
                     std::string& error);

}  // namespace mzml
