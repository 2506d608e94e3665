#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mzml/raw_scan_source.h"

namespace mzml {

// The <spectrum> element an export writes for one scan of a raw data file (the mapping is in
// docs/open-formats.md, "Export"): MS level = function, 32-bit m/z and 64-bit intensity
// arrays without compression (they hold every float mass and every 32-bit count exactly), the
// peak bytes as a 32-bit non-standard array when any is non-zero, and the scan's records as
// hex user parameters for the way back.

// The id of scan `scan` of function `function`: "function=N scan=S".
std::string ExportSpectrumId(std::int32_t function, std::int32_t scan);

// Indentation of a <spectrum> start tag in the document an export writes.
inline constexpr const char* kSpectrumIndent = "        ";

class SpectrumElementWriter {
  public:
    // Appends the element, from "<spectrum" to its end tag and a newline, for `scan` written
    // as spectrum `index` of the list.
    void Append(const RawExportScan& scan, std::size_t index, std::string& out);

  private:
    std::vector<std::uint8_t> bytes_;
    std::string base64_;
};

}  // namespace mzml
