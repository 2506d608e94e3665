#pragma once

#include <string>

#include "processing/run_report.h"
#include "rawio/raw_api.h"

namespace processing {

// The raw data library as the batch run sees it: one table of its operations. The run never
// calls the library directly, so a test can put a recording stand-in in its place.
struct RawOps {
    decltype(&RawReadOpen) ReadOpen;
    decltype(&RawCreateOpen) CreateOpen;
    decltype(&RawReadHeader) ReadHeader;
    decltype(&RawCreateHeader) CreateHeader;
    decltype(&RawReadFuncInfo) ReadFuncInfo;
    decltype(&RawReadFuncInit) ReadFuncInit;
    decltype(&RawReadFuncEnd) ReadFuncEnd;
    decltype(&RawReadSpectrum) ReadSpectrum;
    decltype(&RawReadGetStatsFile) ReadGetStatsFile;
    decltype(&RawStatsReadEntry) StatsReadEntry;
    decltype(&RawEERead) EERead;
    decltype(&RawCreateScanFile) CreateScanFile;
    decltype(&RawCreateScansEx) CreateScansEx;
    decltype(&RawCreateScansEnd) CreateScansEnd;
    decltype(&RawStatsCreateFile) StatsCreateFile;
    decltype(&RawStatsCreateRecord) StatsCreateRecord;
    decltype(&RawStatsCreateEnd) StatsCreateEnd;
    decltype(&RawEECreateFile) EECreateFile;
    decltype(&RawEECreateRecord) EECreateRecord;
    decltype(&RawEECreateEnd) EECreateEnd;
    decltype(&RawCreateFunctions) CreateFunctions;
    decltype(&RawReadAnalogNumber) ReadAnalogNumber;
    decltype(&RawReadAnalogInfo) ReadAnalogInfo;
    decltype(&RawReadAnalogSize) ReadAnalogSize;
    decltype(&RawReadAnalogChrom) ReadAnalogChrom;
    decltype(&RawCreateAnalogInf) CreateAnalogInf;
    decltype(&RawCreateAnalogFile) CreateAnalogFile;
    decltype(&RawCreateAnalogDataScans) CreateAnalogDataScans;
    decltype(&RawCreateAnalogEnd) CreateAnalogEnd;
    decltype(&RawReadProcInfo) ReadProcInfo;
    decltype(&RawHistUpdateInfo) HistUpdateInfo;
    decltype(&RawCreateClose) CreateClose;
    decltype(&RawReadClose) ReadClose;
    decltype(&RawCreateAbandon) CreateAbandon;
    decltype(&RawStatusText) StatusText;
    decltype(&RawLastErrorDetail) LastErrorDetail;
};

// The table of our own raw data library.
const RawOps& DefaultRawOps();

// A failed library call as the run reports it: the operation, the library's status with its
// text and detail, and `where` in the file ("function 2, scan 17", or empty).
RunFailure LibraryFailure(const RawOps& ops, RawStatus status, const char* operation,
                          std::string where);

}  // namespace processing
