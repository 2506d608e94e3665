#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "processing/raw_read_file.h"
#include "rawio/record_fields.h"
#include "tools/raw/command_line.h"
#include "tools/raw/float_text.h"
#include "tools/raw/output_buffer.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
// The longest peak line: prefix, 16 for the mass, 8 hex digits, 3 for the byte, separators.
constexpr std::size_t kPeakTailRoom = 16 + 8 + 3 + 3;

char* WriteHex8(char* out, std::uint32_t value) {
    for (int shift = 28; shift >= 0; shift -= 4) {
        *out++ = kHexDigits[(value >> shift) & 15u];
    }
    return out;
}

void WriteScan(std::int32_t function, std::int32_t scan, const processing::ScanPeaks& peaks,
               OutputBuffer& out) {
    // "J\tS\t", shared by the scan line and every peak line.
    char numbers[32];
    char* end = std::to_chars(numbers, numbers + 11, function).ptr;
    *end++ = '\t';
    end = std::to_chars(end, end + 11, scan).ptr;
    *end++ = '\t';
    const std::size_t numbersLength = static_cast<std::size_t>(end - numbers);

    out.Append("scan\t");
    out.Append({numbers, numbersLength});
    out.AppendUnsigned(peaks.count);
    const rawio::ScanHeaderBytes header = rawio::ScanHeaderFromScanInfo(peaks.scanInfo.data());
    for (std::size_t word = 0; word < kScanHeaderSize; word += 4) {
        out.Append("\t");
        out.AppendUnsigned(rawio::Load32(header.data() + word));
    }
    out.Append("\n");

    for (std::uint32_t i = 0; i < peaks.count; ++i) {
        char* p = out.Reserve(5 + numbersLength + kPeakTailRoom);
        std::memcpy(p, "peak\t", 5);
        std::memcpy(p + 5, numbers, numbersLength);
        p = WriteFloat9(p + 5 + numbersLength, peaks.masses[i]);
        *p++ = '\t';
        p = WriteHex8(p, peaks.intensities[i]);
        *p++ = '\t';
        p = std::to_chars(p, p + 3, peaks.peakBytes[i]).ptr;
        *p++ = '\n';
        out.Commit(p);
    }
}

RawStatus DumpFunction(processing::RawReadFile& file, std::int32_t f, OutputBuffer& out,
                       std::string& failedStep) {
    const RawHandle handle = file.Handle();
    const std::string where = "function " + std::to_string(f);
    std::uint32_t scans = 0;
    RawStatus status = processing::BeginFunction(file, f, scans, failedStep);
    if (status != kRawOk) {
        return status;
    }
    processing::ScanPeaks peaks;
    for (std::uint32_t s = 1; status == kRawOk && s <= scans; ++s) {
        const auto scan = static_cast<std::int32_t>(s);
        status = processing::ReadScanPeaks(handle, f, scan, peaks);
        if (status != kRawOk) {
            failedStep = where + ", scan " + std::to_string(s) + ": RawReadSpectrum";
        } else {
            WriteScan(f, scan, peaks, out);
        }
    }
    const RawStatus endStatus = RawReadFuncEnd(handle, f, 0);
    if (status == kRawOk && endStatus != kRawOk) {
        failedStep = where + ": RawReadFuncEnd";
        status = endStatus;
    }
    return status;
}

}  // namespace

int RunDump(const std::vector<std::string_view>& args) {
    CommandLine line;
    if (const std::optional<int> done = ParseCommand("dump", args, {{"function"}, {}}, line)) {
        return *done;
    }
    std::string error;
    std::uint64_t only = 0;  // 0: every function
    if (!ReadNumberOption(line, "function", 65535, only, error)) {
        return UsageError("dump: " + error);
    }
    if (line.values.contains("function") && only == 0) {
        return UsageError("dump: functions are numbered from 1");
    }

    processing::RawReadFile file;
    std::string failedStep;
    RawStatus status = file.Open(line.path, failedStep);
    if (status != kRawOk) {
        ReportRawFailure(line.path, failedStep, status);
        return kExitInputFailed;
    }
    if (only > file.FunctionCount()) {
        ReportFailure(line.path, "there is no function " + std::to_string(only) +
                                     " (the file has " + std::to_string(file.FunctionCount()) +
                                     ")");
        return kExitInputFailed;
    }
    OutputBuffer out(1);
    const std::uint32_t first = only != 0 ? static_cast<std::uint32_t>(only) : 1;
    const std::uint32_t last = only != 0 ? static_cast<std::uint32_t>(only) : file.FunctionCount();
    for (std::uint32_t f = first; status == kRawOk && f <= last; ++f) {
        status = DumpFunction(file, static_cast<std::int32_t>(f), out, failedStep);
    }
    if (status == kRawOk) {
        failedStep = "RawReadClose";
        status = file.Close();
    }
    const bool written = out.Flush();
    if (!written) {
        std::perror("brevanto-raw: dump: cannot write the output");
    }
    if (status != kRawOk) {
        ReportRawFailure(line.path, failedStep, status);
    }
    return status == kRawOk && written ? kExitOk : kExitInputFailed;
}
