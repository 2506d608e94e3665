#include "processing/raw_read_file.h"

#include <new>
#include <string>

#include "rawio/record_fields.h"

namespace processing {

RawReadFile::~RawReadFile() {
    Close();
}

RawStatus RawReadFile::Open(const std::string& path, std::string& failedStep) {
    Close();
    failedStep = "RawReadOpen";
    RawStatus status = RawReadOpen(path.c_str(), &handle_);
    if (status != kRawOk) {
        handle_ = 0;
        return status;
    }
    failedStep = "RawReadHeader";
    try {
        headerRecord_.resize(kHeaderRecordSize);
        headerBlock_.resize(kHeaderBlockSize);
    } catch (const std::bad_alloc&) {
        return kRawOutOfMemory;
    }
    return RawReadHeader(handle_, headerRecord_.data(), headerBlock_.data(), &functionCount_,
                         nullptr);
}

RawStatus RawReadFile::Close() {
    if (handle_ == 0) {
        return kRawOk;
    }
    const RawStatus status = RawReadClose(handle_);
    handle_ = 0;
    return status;
}

RawStatus QueryScanSize(RawHandle handle, std::int32_t function, std::int32_t scan,
                        ScanPeaks& peaks) {
    std::uint32_t capacity = 0;
    const RawStatus status = RawReadSpectrum(handle, function, 0, scan, 1, &capacity,
                                             peaks.scanInfo.data(), nullptr, nullptr, nullptr, 0);
    peaks.count = rawio::ScanInfoPeakCount(peaks.scanInfo.data());
    return status;
}

RawStatus ReadScanPeaks(RawHandle handle, std::int32_t function, std::int32_t scan,
                        ScanPeaks& peaks) {
    RawStatus status = QueryScanSize(handle, function, scan, peaks);
    if (status != kRawOk) {
        return status;
    }
    // At least one element, so that the arrays are non-null and an empty scan is decoded too.
    const std::size_t needed = peaks.count > 0 ? peaks.count : 1;
    if (peaks.masses.size() < needed) {
        try {
            peaks.masses.resize(needed);
            peaks.intensities.resize(needed);
            peaks.peakBytes.resize(needed);
        } catch (const std::bad_alloc&) {
            return kRawOutOfMemory;
        }
    }
    std::uint32_t capacity = peaks.count;
    status =
        RawReadSpectrum(handle, function, 0, scan, 1, &capacity, peaks.scanInfo.data(),
                        peaks.masses.data(), peaks.intensities.data(), peaks.peakBytes.data(), 0);
    if (status == kRawOk && capacity != peaks.count) {
        return kRawCorrupt;  // the index and the block disagree on the peak count
    }
    return status;
}

RawStatus BeginFunction(RawReadFile& file, std::int32_t f, std::uint32_t& scans,
                        std::string& failedStep) {
    const std::string where = "function " + std::to_string(f);
    std::uint8_t record[kFunctionRecordSize];
    failedStep = where + ": RawReadFuncInfo";
    RawStatus status = RawReadFuncInfo(file.Handle(), f, record, nullptr);
    if (status != kRawOk) {
        return status;
    }
    scans = rawio::FunctionScanCount(record);
    failedStep = where + ": RawReadFuncInit";
    return RawReadFuncInit(file.Handle(), f, 0, 0, record, file.HeaderBlock());
}

}  // namespace processing
