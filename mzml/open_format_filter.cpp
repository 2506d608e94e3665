#include "mzml/open_format_filter.h"

#include <algorithm>
#include <cctype>

#include <boost/make_shared.hpp>
#include <pwiz/data/msdata/MSDataFile.hpp>

#include "mzml/array_encoding.h"
#include "mzml/atomic_mzml_writer.h"
#include "mzml/filtered_spectrum_list.h"
#include "mzml/open_format_input.h"
#include "mzml/processing_entry.h"
#include "processing/output_path.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool IsOpenFormatPath(const std::string& path) {
    const std::string extension = Lower(SplitPath(path).extension);
    return extension == ".mzml" || extension == ".mzxml";
}

std::string OpenFormatOutputPath(const std::string& input, const std::string& suffix) {
    PathParts parts = SplitPath(OutputPathFor(input, suffix));
    if (Lower(parts.extension) == ".mzxml") {
        parts.extension = ".mzML";
    }
    return JoinPath(parts);
}

bool FilterOpenFormatFile(const std::string& input, const std::string& output,
                          const CMassRangeList& rules, RunProgress* progress, FileSummary& summary,
                          std::string& error) {
    NullProgress noProgress;
    RunProgress& shown = progress ? *progress : noProgress;
    shown.SetCurrentFile(input);
    summary = FileSummary{input, output, {}};

    const std::string refused = CheckOutputPath(input, output);
    if (!refused.empty()) {
        error = FileMessage(output, refused);
        return false;
    }
    OpenFormatInput opened;
    if (!OpenOpenFormatFile(input, true, opened, error)) {
        return false;
    }
    pwiz::msdata::MSData& msd = *opened.data;
    try {
        const auto encoding = InputArrayEncoding(input, msd);
        const auto software = AddBrevantoSoftware(msd);
        auto spectra = msd.run.spectrumListPtr;
        if (!spectra) {
            spectra = boost::make_shared<pwiz::msdata::SpectrumListSimple>();
        }
        const auto processing = FilterProcessing(spectra->dataProcessingPtr(), software, rules);
        msd.dataProcessingPtrs.push_back(processing);
        auto filtered =
            boost::make_shared<FilteredSpectrumList>(spectra, rules, encoding, processing, shown);
        msd.run.spectrumListPtr = filtered;
        shown.SetRange(filtered->StepCount());
        if (!WriteMzmlAtomically(msd, encoding, input, output, error)) {
            return false;
        }
        summary.functions = filtered->Summary();
    } catch (const std::exception& e) {
        error = FileMessage(input, std::string("cannot be read: ") + e.what());
        return false;
    }
    return true;
}
