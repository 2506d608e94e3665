#pragma once

#include "mzml/open_format_filter.h"
#include "processing/format_route.h"

namespace mzml {

// The open formats as a route of the batch run: mzML and mzXML inputs, plain or gzipped, told
// by name or content, filtered by FilterOpenFormatFile. The dialog and brevanto-batch plug in
// the same route, so the two cannot decide differently.
class OpenFormatRoute final : public processing::FormatRoute {
  public:
    explicit OpenFormatRoute(OpenFormatOptions options = {}) : options_(std::move(options)) {}

    bool Takes(const std::string& input) const override;
    std::string OutputPath(const std::string& input, const std::string& suffix) const override;
    bool Filter(const std::string& input, const std::string& output,
                const params::CMassRangeList& rules, processing::RunProgress& progress,
                processing::FileRunSummary& summary,
                processing::RunFailure& failure) const override;

  private:
    OpenFormatOptions options_;
};

}  // namespace mzml
