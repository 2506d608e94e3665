#pragma once

// The state of one file open for reading. It trusts only the files that the completion
// record lists, and checks each one against it when first used.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "analog_file.h"
#include "manifest.h"
#include "record_file.h"
#include "scan_file.h"

namespace rawio {

class RawReader {
  public:
    static RawStatus Open(const char* path, std::shared_ptr<RawReader>* reader);

    RawStatus ReadHeader(void* headerRecord, void* headerBlock, std::uint16_t* functionCount,
                         std::uint16_t* version);
    RawStatus FunctionInfo(std::int32_t function, void* functionRecord, std::uint16_t* ignored);
    RawStatus FunctionInit(std::int32_t function, std::int32_t zero1, std::int32_t zero2,
                           const void* functionRecord, const void* headerBlock);
    RawStatus FunctionEnd(std::int32_t function, std::int32_t zero);
    RawStatus Spectrum(std::int32_t function, std::int32_t zero1, std::int32_t scan,
                       std::int32_t one, std::uint32_t* capacity, void* scanInfo, float* masses,
                       std::uint32_t* intensities, std::uint8_t* peakBytes, std::int32_t zero2);
    // kRawNoData when the function has no statistics.
    RawStatus HasStats(std::int32_t function, std::int32_t zero) const;
    RawStatus StatsEntry(std::int32_t function, std::int32_t scan, void* statsRecord);
    RawStatus ExtendedRecord(std::int32_t function, std::int32_t zero, std::int32_t index,
                             void* record);
    RawStatus AnalogCount(std::uint16_t* channelCount);
    RawStatus AnalogInfo(std::int32_t channel, void* channelInfo);
    RawStatus AnalogSize(std::int32_t channel, std::uint32_t* pointCount);
    RawStatus AnalogArrays(std::int32_t channel, std::int32_t one, std::uint32_t pointCount,
                           void* arrayB, void* arrayA);
    RawStatus ProcessInfo(void* processInfo, void* processRecords);

  private:
    std::string PathOf(const std::string& name) const;
    bool ValidFunction(std::int32_t function) const;
    // Scan count and scan file code from the stored function record.
    RawStatus StoredFunction(std::uint32_t function, std::uint32_t* scanCount, std::uint32_t* code);
    RawStatus OpenAnalog();

    std::string directory;
    Manifest manifest;
    RecordReader functionTable;
    std::map<std::uint32_t, std::unique_ptr<ScanReader>> initialised;
    RecordReader stats;  // of one function at a time
    std::uint32_t statsFunction = 0;
    RecordReader extended;  // of one function at a time
    std::uint32_t extendedFunction = 0;
    std::optional<AnalogReader> analog;
};

}  // namespace rawio
