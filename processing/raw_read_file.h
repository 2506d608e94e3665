#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rawio/raw_api.h"

namespace processing {

// An acquisition open for reading: the handle (closed on destruction) and its header.
class RawReadFile {
  public:
    RawReadFile() = default;
    RawReadFile(const RawReadFile&) = delete;
    RawReadFile& operator=(const RawReadFile&) = delete;
    ~RawReadFile();

    // Opens the file and reads its header. On failure `failedStep` names the operation.
    RawStatus Open(const std::string& path, std::string& failedStep);
    // Closes the handle, returning the library's status.
    RawStatus Close();

    RawHandle Handle() const { return handle_; }
    std::uint16_t FunctionCount() const { return functionCount_; }
    void* HeaderBlock() { return headerBlock_.data(); }

  private:
    RawHandle handle_ = 0;
    std::uint16_t functionCount_ = 0;
    std::vector<std::uint8_t> headerRecord_;
    std::vector<std::uint8_t> headerBlock_;
};

// Prepares function `f` of `file` for reading its scans (RawReadFuncInfo, RawReadFuncInit) and
// gives its scan count. On failure `failedStep` names the function and the operation.
RawStatus BeginFunction(RawReadFile& file, std::int32_t f, std::uint32_t& scans,
                        std::string& failedStep);

// One scan's peaks and scanInfo. The arrays grow to the largest scan read and are reused, so
// memory follows the largest scan, not the file.
struct ScanPeaks {
    std::array<std::uint8_t, kScanInfoSize> scanInfo{};
    std::uint32_t count = 0;
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> peakBytes;
};

// Asks for the scan's size only (index look-up; fills scanInfo and count).
RawStatus QueryScanSize(RawHandle handle, std::int32_t function, std::int32_t scan,
                        ScanPeaks& peaks);
// Reads the whole scan, decoding (and so checking) its block.
RawStatus ReadScanPeaks(RawHandle handle, std::int32_t function, std::int32_t scan,
                        ScanPeaks& peaks);

}  // namespace processing
