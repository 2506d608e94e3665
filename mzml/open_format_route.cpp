#include "mzml/open_format_route.h"

#include <sys/stat.h>

namespace mzml {

bool OpenFormatRoute::Takes(const std::string& input) const {
    if (IsOpenFormatPath(input)) {
        return true;
    }
    // A file by any other name is looked at; a raw data file is a directory and never is.
    struct stat info {};
    return ::stat(input.c_str(), &info) == 0 && S_ISREG(info.st_mode) && IsOpenFormatFile(input);
}

std::string OpenFormatRoute::OutputPath(const std::string& input, const std::string& suffix) const {
    return OpenFormatOutputPath(input, suffix);
}

bool OpenFormatRoute::Filter(const std::string& input, const std::string& output,
                             const params::CMassRangeList& rules, processing::RunProgress& progress,
                             processing::FileRunSummary& summary,
                             processing::RunFailure& failure) const {
    std::string error;
    if (FilterOpenFormatFile(input, output, rules, &progress, summary, error, options_)) {
        return true;
    }
    failure.input = input;
    failure.operation = "filtering";
    failure.status = kRawOk;
    failure.text = error;
    failure.detail.clear();
    failure.where.clear();
    return false;
}

}  // namespace mzml
