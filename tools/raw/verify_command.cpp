#include <cstdio>
#include <string>
#include <vector>

#include "processing/raw_read_file.h"
#include "rawio/record_fields.h"
#include "tools/raw/command_line.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

// Reports each problem found (up to a limit, so a badly damaged file does not flood the
// terminal) and counts them all.
class ProblemLog {
  public:
    explicit ProblemLog(const std::string& path) : path_(path) {}

    // True when `status` is a success.
    bool Check(RawStatus status, const std::string& what) {
        if (status == kRawOk) {
            return true;
        }
        if (++count_ <= kShown) {
            ReportRawFailure(path_, what, status);
        }
        return false;
    }
    std::uint64_t Count() const { return count_; }
    std::uint64_t Hidden() const { return count_ > kShown ? count_ - kShown : 0; }

  private:
    static constexpr std::uint64_t kShown = 20;
    const std::string& path_;
    std::uint64_t count_ = 0;
};

struct Totals {
    std::uint64_t scans = 0;
    std::uint64_t peaks = 0;
    std::uint64_t analogChannels = 0;
    std::uint64_t historyRecords = 0;
};

std::string Where(std::int32_t f) {
    return "function " + std::to_string(f);
}
std::string Where(std::int32_t f, std::int32_t s) {
    return Where(f) + ", scan " + std::to_string(s);
}

void VerifyFunction(processing::RawReadFile& file, std::int32_t f, processing::ScanPeaks& peaks,
                    ProblemLog& log, Totals& totals) {
    const RawHandle handle = file.Handle();
    std::uint8_t record[kFunctionRecordSize];
    if (!log.Check(RawReadFuncInfo(handle, f, record, nullptr), Where(f) + ": RawReadFuncInfo") ||
        !log.Check(RawReadFuncInit(handle, f, 0, 0, record, file.HeaderBlock()),
                   Where(f) + ": RawReadFuncInit")) {
        return;
    }
    const std::uint32_t scans = rawio::FunctionScanCount(record);
    std::uint8_t statsFile[kStatsFileSize];
    const RawStatus statsStatus = RawReadGetStatsFile(handle, f, 0, statsFile);
    const bool hasStats = statsStatus == kRawOk;
    if (statsStatus != kRawNoData) {
        log.Check(statsStatus, Where(f) + ": RawReadGetStatsFile");
    }
    std::uint8_t statsRecord[kStatsRecordSize];
    for (std::uint32_t s = 1; s <= scans; ++s) {
        const auto scan = static_cast<std::int32_t>(s);
        if (log.Check(processing::ReadScanPeaks(handle, f, scan, peaks),
                      Where(f, scan) + ": RawReadSpectrum")) {
            totals.peaks += peaks.count;
        }
        if (hasStats) {
            log.Check(RawStatsReadEntry(statsFile, scan, statsRecord),
                      Where(f, scan) + ": RawStatsReadEntry");
        }
    }
    totals.scans += scans;
    log.Check(RawReadFuncEnd(handle, f, 0), Where(f) + ": RawReadFuncEnd");
    std::uint8_t ee[kEERecordSize];
    const RawStatus eeStatus = RawEERead(handle, f, 0, 1, ee);
    if (eeStatus != kRawNoData) {
        log.Check(eeStatus, Where(f) + ": RawEERead");
    }
}

void VerifyAnalog(RawHandle handle, ProblemLog& log, Totals& totals) {
    std::uint16_t channels = 0;
    const RawStatus status = RawReadAnalogNumber(handle, &channels);
    if (status == kRawNoData || !log.Check(status, "RawReadAnalogNumber")) {
        return;
    }
    std::vector<std::uint32_t> arrayA;
    std::vector<std::uint32_t> arrayB;
    std::uint8_t info[kChannelInfoSize];
    for (std::int32_t k = 0; k < channels; ++k) {
        const std::string where = "analog channel " + std::to_string(k);
        std::uint32_t points = 0;
        if (!log.Check(RawReadAnalogInfo(handle, k, info), where + ": RawReadAnalogInfo") ||
            !log.Check(RawReadAnalogSize(handle, k, &points), where + ": RawReadAnalogSize")) {
            continue;
        }
        try {
            arrayA.resize(points);
            arrayB.resize(points);
        } catch (const std::bad_alloc&) {
            log.Check(kRawOutOfMemory, where + ": " + std::to_string(points) + " points");
            continue;
        }
        if (log.Check(RawReadAnalogChrom(handle, k, 1, points, arrayB.data(), arrayA.data()),
                      where + ": RawReadAnalogChrom")) {
            ++totals.analogChannels;
        }
    }
}

void VerifyHistory(RawHandle handle, ProblemLog& log, Totals& totals) {
    std::uint8_t processInfo[kProcessInfoSize]{};
    if (!log.Check(RawReadProcInfo(handle, processInfo, nullptr), "RawReadProcInfo")) {
        return;
    }
    const std::size_t count = rawio::ProcessRecordCount(processInfo);
    std::vector<std::uint8_t> records((count + 2) * kProcessRecordSize);
    if (log.Check(RawReadProcInfo(handle, processInfo, records.data()),
                  "RawReadProcInfo (the history records)")) {
        totals.historyRecords = count;
    }
}

}  // namespace

int RunVerify(const std::vector<std::string_view>& args) {
    CommandLine line;
    if (const std::optional<int> done = ParseCommand("verify", args, {}, line)) {
        return *done;
    }
    ProblemLog log(line.path);
    processing::RawReadFile file;
    std::string failedStep;
    const RawStatus openStatus = file.Open(line.path, failedStep);
    if (!log.Check(openStatus, failedStep)) {
        return kExitInputFailed;
    }
    Totals totals;
    processing::ScanPeaks peaks;
    for (std::int32_t f = 1; f <= file.FunctionCount(); ++f) {
        VerifyFunction(file, f, peaks, log, totals);
    }
    VerifyAnalog(file.Handle(), log, totals);
    VerifyHistory(file.Handle(), log, totals);
    log.Check(file.Close(), "RawReadClose");

    if (log.Count() > 0) {
        if (log.Hidden() > 0) {
            ReportFailure(line.path, "... and " + std::to_string(log.Hidden()) + " more problems");
        }
        ReportFailure(line.path, "damaged: " + std::to_string(log.Count()) +
                                     (log.Count() == 1 ? " problem found" : " problems found"));
        return kExitInputFailed;
    }
    std::printf(
        "%s: intact: %u functions, %llu scans, %llu peaks, %llu analog channels, "
        "%llu history records\n",
        line.path.c_str(), static_cast<unsigned>(file.FunctionCount()),
        static_cast<unsigned long long>(totals.scans),
        static_cast<unsigned long long>(totals.peaks),
        static_cast<unsigned long long>(totals.analogChannels),
        static_cast<unsigned long long>(totals.historyRecords));
    return kExitOk;
}
