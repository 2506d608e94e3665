#pragma once

// The state of one file being created: checks the order of the create calls and writes the
// library files as they come. Argument and order errors leave the state as it was; an I/O
// error is sticky, so a writer that failed once never completes its file.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "analog_file.h"
#include "manifest.h"
#include "record_file.h"
#include "scan_file.h"

namespace rawio {

class RawWriter {
  public:
    static RawStatus Open(const char* path, std::shared_ptr<RawWriter>* writer);

    RawStatus CreateHeader(const void* headerRecord, const void* headerBlock);
    RawStatus CreateScanFile(std::int32_t function, std::int32_t zero, std::int32_t code);
    RawStatus CreateScan(std::int32_t function, std::int32_t zero, std::int32_t code,
                         const void* scanHeader, std::uint32_t peakCount, const float* masses,
                         const std::uint32_t* intensities, const std::uint8_t* peakBytes,
                         std::int32_t one);
    RawStatus CreateScansEnd(std::int32_t function, std::int32_t zero, std::int32_t code);
    RawStatus StatsCreateFile(std::int32_t function, std::int32_t zero);
    RawStatus StatsCreateRecord(std::int32_t function, std::int32_t zero, const void* record);
    RawStatus StatsCreateEnd(std::int32_t function, std::int32_t zero);
    RawStatus ExtendedCreateFile(std::int32_t function, std::int32_t zero);
    RawStatus ExtendedCreateRecord(std::int32_t function, std::int32_t zero, const void* record);
    RawStatus ExtendedCreateEnd(std::int32_t function, std::int32_t zero);
    RawStatus CreateFunctions(std::uint16_t functionCount, const void* functionTable);
    RawStatus AnalogInfo(std::uint16_t channelCount, const void* channelInfos);
    RawStatus AnalogFile();
    RawStatus AnalogData(std::int32_t channel, std::uint32_t pointCount, const void* arrayA,
                         const void* arrayB);
    RawStatus AnalogEnd();
    RawStatus History(const void* processInfo, const void* processRecords);
    // Completes the file: removes stale library files and writes the completion record.
    RawStatus Close();

  private:
    enum class Stage {
        kOpened,
        kFunctions,
        kTableWritten,
        kAnalogInfo,
        kAnalogData,
        kAnalogDone,
        kHistoryDone
    };
    enum class Phase { kNone, kScanning, kScansEnded, kExtended, kDone };

    RawStatus CheckFunction(std::int32_t function, std::int32_t zero) const;
    bool CurrentFunctionFinished() const;
    RawStatus Fail(RawStatus status);
    std::string PathOf(const std::string& name) const;

    std::string directory;
    RawStatus failed = kRawOk;
    Stage stage = Stage::kOpened;
    Phase phase = Phase::kNone;
    std::uint32_t current = 0;  // function being created, 0 before the first
    std::int32_t currentCode = 0;
    ScanWriter scans;
    RecordWriter stats;
    bool statsCreated = false;
    RecordWriter extended;
    struct Written {
        std::int32_t code;
        std::uint32_t scans;
    };
    std::vector<Written> written;  // per finished scan file
    std::vector<std::uint8_t> channelInfos;
    std::uint16_t channelCount = 0;
    std::uint16_t nextChannel = 0;
    AnalogWriter analog;
    Manifest manifest;
};

}  // namespace rawio
