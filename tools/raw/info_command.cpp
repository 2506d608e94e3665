#include <cstdio>
#include <string>
#include <vector>

#include "processing/raw_read_file.h"
#include "rawio/record_fields.h"
#include "tools/raw/command_line.h"
#include "tools/raw/output_buffer.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

struct FunctionInfo {
    std::uint32_t scans = 0;
    std::uint64_t peaks = 0;
    bool stats = false;
    bool ee = false;
};

struct AcquisitionInfo {
    bool complete = false;
    std::vector<FunctionInfo> functions;
    std::vector<std::uint32_t> analogPoints;  // per channel
    std::uint32_t history = 0;
};

// kRawNoData means "absent"; any other failure is a real one.
RawStatus Presence(RawStatus status, bool& present) {
    present = status == kRawOk;
    return status == kRawNoData ? kRawOk : status;
}

RawStatus SummarizeFunction(processing::RawReadFile& file, std::int32_t f, FunctionInfo& summary,
                            std::string& failedStep) {
    const RawHandle handle = file.Handle();
    const std::string where = "function " + std::to_string(f);
    RawStatus status = processing::BeginFunction(file, f, summary.scans, failedStep);
    if (status != kRawOk) {
        return status;
    }
    std::uint8_t statsFile[kStatsFileSize];
    failedStep = where + ": RawReadGetStatsFile";
    status = Presence(RawReadGetStatsFile(handle, f, 0, statsFile), summary.stats);
    processing::ScanPeaks peaks;
    for (std::uint32_t s = 1; status == kRawOk && s <= summary.scans; ++s) {
        status = processing::QueryScanSize(handle, f, static_cast<std::int32_t>(s), peaks);
        if (status != kRawOk) {
            failedStep = where + ", scan " + std::to_string(s) + ": RawReadSpectrum";
        }
        summary.peaks += peaks.count;
    }
    const RawStatus endStatus = RawReadFuncEnd(handle, f, 0);
    if (status != kRawOk) {
        return status;
    }
    failedStep = where + ": RawReadFuncEnd";
    if (endStatus != kRawOk) {
        return endStatus;
    }
    std::uint8_t ee[kEERecordSize];
    failedStep = where + ": RawEERead";
    return Presence(RawEERead(handle, f, 0, 1, ee), summary.ee);
}

RawStatus SummarizeAnalog(RawHandle handle, std::vector<std::uint32_t>& points,
                          std::string& failedStep) {
    std::uint16_t channels = 0;
    failedStep = "RawReadAnalogNumber";
    RawStatus status = RawReadAnalogNumber(handle, &channels);
    if (status == kRawNoData) {
        return kRawOk;
    }
    for (std::int32_t k = 0; status == kRawOk && k < channels; ++k) {
        failedStep = "analog channel " + std::to_string(k) + ": RawReadAnalogSize";
        points.push_back(0);
        status = RawReadAnalogSize(handle, k, &points.back());
    }
    return status;
}

RawStatus Summarize(const std::string& path, AcquisitionInfo& summary, std::string& failedStep) {
    processing::RawReadFile file;
    RawStatus status = file.Open(path, failedStep);
    summary.complete = status != kRawIncomplete;
    if (status != kRawOk) {
        return status;
    }
    summary.functions.resize(file.FunctionCount());
    for (std::size_t i = 0; status == kRawOk && i < summary.functions.size(); ++i) {
        status = SummarizeFunction(file, static_cast<std::int32_t>(i + 1), summary.functions[i],
                                   failedStep);
    }
    if (status == kRawOk) {
        status = SummarizeAnalog(file.Handle(), summary.analogPoints, failedStep);
    }
    if (status == kRawOk) {
        std::uint8_t processInfo[kProcessInfoSize]{};
        failedStep = "RawReadProcInfo";
        status = RawReadProcInfo(file.Handle(), processInfo, nullptr);
        summary.history = rawio::ProcessRecordCount(processInfo);
    }
    if (status == kRawOk) {
        failedStep = "RawReadClose";
        status = file.Close();
    }
    return status;
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}
const char* Bool(bool value) {
    return value ? "true" : "false";
}

void PrintJson(const AcquisitionInfo& summary, OutputBuffer& out) {
    out.Append("{\"functions\": [");
    for (std::size_t i = 0; i < summary.functions.size(); ++i) {
        const FunctionInfo& f = summary.functions[i];
        out.Append(i == 0 ? "\n  {\"function\": " : ",\n  {\"function\": ");
        out.AppendUnsigned(i + 1);
        out.Append(", \"scans\": ");
        out.AppendUnsigned(f.scans);
        out.Append(", \"peaks\": ");
        out.AppendUnsigned(f.peaks);
        out.Append(", \"stats\": ");
        out.Append(Bool(f.stats));
        out.Append(", \"ee\": ");
        out.Append(Bool(f.ee));
        out.Append("}");
    }
    out.Append("],\n \"analog\": [");
    for (std::size_t k = 0; k < summary.analogPoints.size(); ++k) {
        out.Append(k == 0 ? "\n  {\"channel\": " : ",\n  {\"channel\": ");
        out.AppendUnsigned(k);
        out.Append(", \"points\": ");
        out.AppendUnsigned(summary.analogPoints[k]);
        out.Append("}");
    }
    out.Append("],\n \"history\": ");
    out.AppendUnsigned(summary.history);
    out.Append(",\n \"complete\": ");
    out.Append(Bool(summary.complete));
    out.Append("}\n");
}

void PrintText(const std::string& path, const AcquisitionInfo& summary, OutputBuffer& out) {
    out.Append(path);
    out.Append(summary.complete ? ": complete\n" : ": incomplete\n");
    for (std::size_t i = 0; i < summary.functions.size(); ++i) {
        const FunctionInfo& f = summary.functions[i];
        out.Append("function ");
        out.AppendUnsigned(i + 1);
        out.Append(": ");
        out.AppendUnsigned(f.scans);
        out.Append(" scans, ");
        out.AppendUnsigned(f.peaks);
        out.Append(" peaks, statistics ");
        out.Append(YesNo(f.stats));
        out.Append(", extended experiment ");
        out.Append(YesNo(f.ee));
        out.Append("\n");
    }
    for (std::size_t k = 0; k < summary.analogPoints.size(); ++k) {
        out.Append("analog channel ");
        out.AppendUnsigned(k);
        out.Append(": ");
        out.AppendUnsigned(summary.analogPoints[k]);
        out.Append(" points\n");
    }
    out.Append("history: ");
    out.AppendUnsigned(summary.history);
    out.Append(" records\n");
}

}  // namespace

int RunInfo(const std::vector<std::string_view>& args) {
    CommandLine line;
    if (const std::optional<int> done = ParseCommand("info", args, {{}, {"json"}}, line)) {
        return *done;
    }
    AcquisitionInfo summary;
    std::string failedStep;
    const RawStatus status = Summarize(line.path, summary, failedStep);
    if (status != kRawOk) {
        ReportRawFailure(line.path, failedStep, status);
        if (status != kRawIncomplete) {
            return kExitInputFailed;
        }
        // An incomplete file is still described, as holding nothing readable.
        summary = AcquisitionInfo{};
    }
    OutputBuffer out(1, 1 << 16);
    if (line.switches.contains("json")) {
        PrintJson(summary, out);
    } else {
        PrintText(line.path, summary, out);
    }
    if (!out.Flush()) {
        std::perror("brevanto-raw: info: cannot write the output");
        return kExitInputFailed;
    }
    return status == kRawOk ? kExitOk : kExitInputFailed;
}
