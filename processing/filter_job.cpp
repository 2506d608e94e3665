#include "processing/filter_job.h"

#include <memory>
#include <utility>

#include "processing/copy_analog_history.h"
#include "processing/copy_companions.h"
#include "processing/copy_function.h"
#include "processing/output_path.h"
#include "processing/temporary_output.h"

namespace processing {

namespace {

// Hides the progress at every end of a run, an exception passing through included.
class ProgressShown {
  public:
    explicit ProgressShown(RunProgress& shown) : progress(shown) { progress.Show(); }
    ~ProgressShown() { progress.Hide(); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

  private:
    RunProgress& progress;
};

// The handles of the file in hand. Those of a failed file are given up rather than left in
// the library's table: the output stays incomplete, as far as it was written.
struct HandlePair {
    explicit HandlePair(const RawOps& rawOps) : ops(rawOps) {}
    ~HandlePair() {
        if (create != 0) {
            ops.CreateAbandon(create);
        }
        if (read != 0) {
            ops.ReadClose(read);
        }
    }
    HandlePair(const HandlePair&) = delete;
    HandlePair& operator=(const HandlePair&) = delete;

    RawHandle TakeCreate() { return std::exchange(create, 0); }
    RawHandle TakeRead() { return std::exchange(read, 0); }

    const RawOps& ops;
    RawHandle read = 0;
    RawHandle create = 0;
};

}  // namespace

CFilterJob::CFilterJob(const params::CMassRangeList* rules, const RawOps& rawOps)
    : massRangeList(rules), ops(rawOps), progress(&noProgress) {}

CFilterJob::~CFilterJob() = default;

void CFilterJob::SetFileList(const std::string& joined) {
    fileList.clear();
    std::size_t start = 0;
    while (start < joined.size()) {
        const std::size_t comma = joined.find(',', start);
        if (comma == std::string::npos) {
            fileList.push_back(joined.substr(start));
            break;
        }
        fileList.push_back(joined.substr(start, comma - start));
        start = comma + 1;
    }
}

void CFilterJob::SetFileList(const std::vector<std::string>& paths) {
    fileList = paths;
}

void CFilterJob::SetSuffix(const std::string& text) {
    suffix = text;
}

void CFilterJob::SetProgress(RunProgress* newProgress) {
    progress = newProgress != nullptr ? newProgress : &noProgress;
}

void CFilterJob::SetFormatRoute(const FormatRoute* route) {
    formatRoute = route;
}

bool CFilterJob::ProcessOtherFormat(const std::string& item) {
    FileRunSummary summary;
    summary.input = item;
    summary.output = formatRoute->OutputPath(item, suffix);
    if (OutputRefused(item, summary.output)) {
        return false;
    }
    if (!formatRoute->Filter(item, summary.output, *massRangeList, *progress, summary, failure)) {
        return false;
    }
    summaries.push_back(std::move(summary));
    return true;
}

std::string CFilterJob::GetFileList() const {
    std::string joined;
    for (std::size_t i = 0; i < fileList.size(); ++i) {
        joined += (i == 0 ? "" : ",") + fileList[i];
    }
    return joined;
}

bool CFilterJob::Run() {
    failure = RunFailure{};
    summaries.clear();
    const ProgressShown shown(*progress);
    // One header block for the whole run: it is the largest buffer by far.
    std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    while (!fileList.empty()) {
        const std::string item = fileList.front();
        progress->SetCurrentFile(item);
        if (!ProcessFile(item, headerBlock)) {
            failure.input = item;
            return false;
        }
        fileList.erase(fileList.begin());
    }
    return true;
}

bool CFilterJob::ProcessFile(const std::string& item, std::vector<std::uint8_t>& headerBlock) {
    if (formatRoute != nullptr && formatRoute->Takes(item)) {
        return ProcessOtherFormat(item);
    }
    FileRunSummary summary;
    summary.input = item;
    // "x.raw/", as shell completion writes it, names x.raw.
    summary.output = OutputPathFor(WithoutTrailingSlashes(item), suffix);
    // Checked before anything is opened, so a refused output never touches the input.
    if (OutputRefused(item, summary.output)) {
        return false;
    }

    // What a killed run left in this output goes before anything new is written there.
    RemoveStaleTemporariesIn(summary.output);

    HandlePair handles(ops);
    if (!Check(ops.ReadOpen(item.c_str(), &handles.read), "RawReadOpen")) {
        return false;
    }
    std::uint8_t headerRecord[kHeaderRecordSize] = {};
    std::uint16_t functionCount = 0;
    std::uint16_t ignored = 0;
    if (!Check(ops.ReadHeader(handles.read, headerRecord, headerBlock.data(), &functionCount,
                              &ignored),
               "RawReadHeader")) {
        return false;
    }
    progress->SetRange(functionCount);
    if (!Check(ops.CreateOpen(summary.output.c_str(), &handles.create), "RawCreateOpen") ||
        !Check(ops.CreateHeader(handles.create, headerRecord, headerBlock.data()),
               "RawCreateHeader")) {
        return false;
    }

    {
        auto functionTable =
            std::make_unique<std::uint8_t[]>(std::size_t{functionCount} * kFunctionRecordSize);
        const CopyContext context{ops, handles.read, handles.create, *massRangeList,
                                  headerBlock.data()};
        // A counter as wide as the count would wrap after the library's largest count, 65535.
        for (std::uint32_t j = 1; j <= functionCount; ++j) {
            FunctionSummary functionSummary;
            if (!CopyFunction(context, static_cast<std::int32_t>(j),
                              functionTable.get() + std::size_t{j - 1u} * kFunctionRecordSize,
                              functionSummary, failure)) {
                return false;
            }
            summary.functions.push_back(functionSummary);
            progress->Step();
        }
        if (!Check(ops.CreateFunctions(handles.create, functionCount, functionTable.get()),
                   "RawCreateFunctions")) {
            return false;
        }
    }
    if (!CopyAnalogAndProcessInfo(handles.read, handles.create)) {
        return false;
    }
    // The output is closed first, then the input; each handle is gone once its close is
    // called, whatever the close reports.
    if (!Check(ops.CreateClose(handles.TakeCreate()), "RawCreateClose") ||
        !Check(ops.ReadClose(handles.TakeRead()), "RawReadClose")) {
        return false;
    }
    // Reported complete only with its companion files there.
    if (!CopyCompanionFiles(item)) {
        return false;
    }
    summaries.push_back(std::move(summary));
    return true;
}

bool CFilterJob::CopyAnalogAndProcessInfo(RawHandle readHandle, RawHandle createHandle) {
    return CopyAnalogAndHistory(ops, readHandle, createHandle, failure);
}

bool CFilterJob::CopyCompanionFiles(const std::string& item) {
    std::string error;
    if (processing::CopyCompanionFiles(item, OutputPathFor(WithoutTrailingSlashes(item), suffix),
                                       error)) {
        return true;
    }
    failure.operation = "copying companion files";
    failure.status = kRawOk;
    failure.text = error;
    failure.detail.clear();
    failure.where.clear();
    return false;
}

bool CFilterJob::OutputRefused(const std::string& item, const std::string& output) {
    const std::string refusal = CheckOutputPath(item, output);
    if (refusal.empty()) {
        return false;
    }
    failure.operation = "output path " + output;
    failure.text = refusal;
    return true;
}

bool CFilterJob::Check(RawStatus status, const char* operation) {
    if (status == kRawOk) {
        return true;
    }
    failure = LibraryFailure(ops, status, operation, "");
    return false;
}

}  // namespace processing
