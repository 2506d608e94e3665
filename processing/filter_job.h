#pragma once

#include <string>
#include <vector>

#include "params/mass_range_list.h"
#include "processing/format_route.h"
#include "processing/raw_ops.h"
#include "processing/run_progress.h"
#include "processing/run_report.h"

namespace processing {

// One batch run: for each input in turn, a filtered copy beside it, named by the output
// naming rule: raw data files through the raw data library, other formats through the
// FormatRoute the program plugs in. The run stops at the first failure; outputs finished before it
// stay complete, the failing one stays as far as it was written (and incomplete), later inputs are
// not touched, and nothing is deleted.
class CFilterJob {
  public:
    // `massRangeList` is the caller's and must outlive the job.
    explicit CFilterJob(const params::CMassRangeList* massRangeList,
                        const RawOps& ops = DefaultRawOps());
    CFilterJob(const CFilterJob&) = delete;
    CFilterJob& operator=(const CFilterJob&) = delete;
    virtual ~CFilterJob();

    // The inputs joined by ",". An empty text is no input; a text ending in "," has no empty
    // last item; any other empty item is an empty path (which fails when it is reached). A
    // path that holds a comma cannot be given this way: use the list form.
    void SetFileList(const std::string& joined);
    // The inputs one by one, exactly as given (commas included).
    void SetFileList(const std::vector<std::string>& paths);
    void SetSuffix(const std::string& text);
    void SetProgress(RunProgress* progress);
    // Inputs this route takes (mzML, mzXML) go through it; the caller keeps it alive. Without
    // one every input is taken as a raw data file.
    void SetFormatRoute(const FormatRoute* route);

    // Processes every input; true only when all were processed.
    bool Run();

    // After Run: the inputs not finished (the failing one first), joined by ",".
    std::string GetFileList() const;
    // After a failed Run: why it stopped.
    const RunFailure& GetFailure() const { return failure; }
    // After Run: what each finished input gave, in order (the failing one not included).
    const std::vector<FileRunSummary>& GetSummaries() const { return summaries; }

  private:
    bool ProcessFile(const std::string& item, std::vector<std::uint8_t>& headerBlock);
    bool ProcessOtherFormat(const std::string& item);
    // True, with the failure set, when `output` may not be written (see CheckOutputPath).
    bool OutputRefused(const std::string& item, const std::string& output);
    bool CopyAnalogAndProcessInfo(RawHandle readHandle, RawHandle createHandle);
    bool CopyCompanionFiles(const std::string& item);
    bool Check(RawStatus status, const char* operation);

    const params::CMassRangeList* massRangeList;
    std::vector<std::string> fileList;  // inputs still to do, in order
    std::string suffix;
    const RawOps& ops;
    RunProgress* progress;
    NullProgress noProgress;
    const FormatRoute* formatRoute = nullptr;
    RunFailure failure;
    std::vector<FileRunSummary> summaries;
};

}  // namespace processing
