#include "processing/copy_function.h"

#include <cstring>
#include <memory>
#include <string>

#include "processing/peak_filter.h"
#include "rawio/record_fields.h"

namespace processing {

namespace {

// Peak arrays of one scan, sized exactly by its size query and released with it.
struct PeakArrays {
    explicit PeakArrays(std::uint32_t n)
        : masses(std::make_unique_for_overwrite<float[]>(n)),
          intensities(std::make_unique_for_overwrite<std::uint32_t[]>(n)),
          bytes(std::make_unique_for_overwrite<std::uint8_t[]>(n)) {}
    std::unique_ptr<float[]> masses;
    std::unique_ptr<std::uint32_t[]> intensities;
    std::unique_ptr<std::uint8_t[]> bytes;
};

class FunctionCopier {
  public:
    FunctionCopier(const CopyContext& context, std::int32_t function, FunctionSummary& summaryOut,
                   RunFailure& failureOut)
        : c(context), j(function), summary(summaryOut), failure(failureOut) {}

    bool Run(std::uint8_t* tableSlot) {
        const bool unfiltered = c.rules.CountForFunction(j) == 0;
        const FunctionFilter filter(c.rules, j);
        summary.function = j;
        summary.filtered = !unfiltered;

        std::uint8_t functionRecord[kFunctionRecordSize] = {};
        std::uint16_t ignored = 0;
        if (!Ok(c.ops.ReadFuncInfo(c.readHandle, j, functionRecord, &ignored), "RawReadFuncInfo") ||
            !Ok(c.ops.ReadFuncInit(c.readHandle, j, 0, 0, functionRecord, c.headerBlock),
                "RawReadFuncInit")) {
            return false;
        }
        const auto scanFileCode =
            static_cast<std::int32_t>(rawio::FunctionScanFileCode(functionRecord));
        if (!Ok(c.ops.CreateScanFile(c.createHandle, j, 0, scanFileCode), "RawCreateScanFile")) {
            return false;
        }
        std::uint8_t statsFile[kStatsFileSize] = {};
        bool hasStats = false;
        if (!Optional(c.ops.ReadGetStatsFile(c.readHandle, j, 0, statsFile), "RawReadGetStatsFile",
                      hasStats)) {
            return false;
        }
        if (hasStats && !Ok(c.ops.StatsCreateFile(c.createHandle, j, 0), "RawStatsCreateFile")) {
            return false;
        }
        std::memcpy(tableSlot, functionRecord, kFunctionRecordSize);

        const std::uint32_t scanCount = rawio::FunctionScanCount(functionRecord);
        for (std::uint32_t i = 1; i <= scanCount; ++i) {
            if (!CopyScan(static_cast<std::int32_t>(i), scanFileCode, unfiltered, filter, hasStats,
                          statsFile)) {
                return false;
            }
            ++summary.scans;
        }
        scanIndex = 0;

        if (!Ok(c.ops.CreateScansEnd(c.createHandle, j, 0, scanFileCode), "RawCreateScansEnd") ||
            !Ok(c.ops.ReadFuncEnd(c.readHandle, j, 0), "RawReadFuncEnd") ||
            (hasStats && !Ok(c.ops.StatsCreateEnd(c.createHandle, j, 0), "RawStatsCreateEnd"))) {
            return false;
        }

        std::uint8_t eeRecord[kEERecordSize] = {};
        bool hasEE = false;
        if (!Optional(c.ops.EERead(c.readHandle, j, 0, 1, eeRecord), "RawEERead", hasEE)) {
            return false;
        }
        if (hasEE) {
            if (!Ok(c.ops.EECreateFile(c.createHandle, j, 0), "RawEECreateFile") ||
                !Ok(c.ops.EECreateRecord(c.createHandle, j, 0, eeRecord), "RawEECreateRecord") ||
                !Ok(c.ops.EECreateEnd(c.createHandle, j, 0), "RawEECreateEnd")) {
                return false;
            }
        }
        return true;
    }

  private:
    bool CopyScan(std::int32_t scan, std::int32_t scanFileCode, bool unfiltered,
                  const FunctionFilter& filter, bool hasStats, std::uint8_t* statsFile) {
        scanIndex = scan;
        std::uint8_t scanInfo[kScanInfoSize] = {};
        std::uint32_t capacity = 0;
        if (!Ok(c.ops.ReadSpectrum(c.readHandle, j, 0, scan, 1, &capacity, scanInfo, nullptr,
                                   nullptr, nullptr, 0),
                "RawReadSpectrum")) {
            return false;
        }
        const std::uint32_t n = rawio::ScanInfoPeakCount(scanInfo);
        PeakArrays peaks(n);
        capacity = n;
        if (!Ok(c.ops.ReadSpectrum(c.readHandle, j, 0, scan, 1, &capacity, scanInfo,
                                   peaks.masses.get(), peaks.intensities.get(), peaks.bytes.get(),
                                   0),
                "RawReadSpectrum")) {
            return false;
        }
        const std::uint32_t read = rawio::ScanInfoPeakCount(scanInfo);
        if (read > n) {
            // The arrays hold n peaks; a library that claims more has either overrun them or
            // would have the write read past them.
            return Fail("RawReadSpectrum", kRawOk,
                        "the library reported " + std::to_string(read) + " peaks for arrays of " +
                            std::to_string(n));
        }
        const rawio::ScanHeaderBytes header = rawio::ScanHeaderFromScanInfo(scanInfo);
        const std::uint8_t* scanHeader = header.data();

        summary.peaksRead += read;
        RawStatus written;
        if (unfiltered) {
            summary.peaksKept += read;
            written = c.ops.CreateScansEx(c.createHandle, j, 0, scanFileCode, scanHeader, read,
                                          peaks.masses.get(), peaks.intensities.get(),
                                          peaks.bytes.get(), 1);
        } else {
            PeakArrays kept(n);
            const std::uint32_t k =
                filter.Apply(read, peaks.masses.get(), peaks.intensities.get(), peaks.bytes.get(),
                             kept.masses.get(), kept.intensities.get(), kept.bytes.get());
            summary.peaksKept += k;
            written =
                c.ops.CreateScansEx(c.createHandle, j, 0, scanFileCode, scanHeader, k,
                                    kept.masses.get(), kept.intensities.get(), kept.bytes.get(), 1);
        }
        if (!Ok(written, "RawCreateScansEx")) {
            return false;
        }
        if (hasStats) {
            std::uint8_t statsRecord[kStatsRecordSize] = {};
            if (!Ok(c.ops.StatsReadEntry(statsFile, scan, statsRecord), "RawStatsReadEntry") ||
                !Ok(c.ops.StatsCreateRecord(c.createHandle, j, 0, statsRecord),
                    "RawStatsCreateRecord")) {
                return false;
            }
        }
        return true;
    }

    // For the reads of optional data: "no such data" leaves it out; any other failure (a
    // damaged file, say) must not pass for absent data and fails the copy.
    bool Optional(RawStatus status, const char* operation, bool& present) {
        present = status == kRawOk;
        return present || status == kRawNoData || LibraryFailed(operation, status);
    }

    bool Ok(RawStatus status, const char* operation) {
        return status == kRawOk || LibraryFailed(operation, status);
    }

    bool LibraryFailed(const char* operation, RawStatus status) {
        failure = LibraryFailure(c.ops, status, operation, Where());
        return false;
    }

    bool Fail(const char* operation, RawStatus status, const std::string& text) {
        failure.operation = operation;
        failure.status = status;
        failure.text = text;
        failure.detail.clear();
        failure.where = Where();
        return false;
    }

    std::string Where() const {
        return "function " + std::to_string(j) +
               (scanIndex > 0 ? ", scan " + std::to_string(scanIndex) : "");
    }

    const CopyContext& c;
    const std::int32_t j;
    FunctionSummary& summary;
    RunFailure& failure;
    std::int32_t scanIndex = 0;  // the scan in hand, for messages; 0 outside the scan loop
};

}  // namespace

bool CopyFunction(const CopyContext& context, std::int32_t function, std::uint8_t* tableSlot,
                  FunctionSummary& summary, RunFailure& failure) {
    return FunctionCopier(context, function, summary, failure).Run(tableSlot);
}

}  // namespace processing
