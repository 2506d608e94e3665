#include "tools/batch/batch_runner.h"

#include <atomic>
#include <cstdio>
#include <thread>

#include "processing/filter_job.h"
#include "processing/output_path.h"

#ifdef BREVANTO_HAVE_MZML
#include "mzml/open_format_route.h"
#endif

namespace {

#ifdef BREVANTO_HAVE_MZML
void PrintWarning(const std::string& warning) {
    std::fprintf(stderr, "brevanto-batch: warning: %s\n", warning.c_str());
}
#endif

// The route of the other formats, the same for every input of the run (and the dialog's).
const processing::FormatRoute* RouteFor(const BatchOptions& options) {
#ifdef BREVANTO_HAVE_MZML
    static const mzml::OpenFormatRoute checked(mzml::OpenFormatOptions{false, PrintWarning});
    static const mzml::OpenFormatRoute unchecked(mzml::OpenFormatOptions{true, PrintWarning});
    return options.ignoreChecksums ? &unchecked : &checked;
#else
    (void)options;
    return nullptr;
#endif
}

FileOutcome RunOne(const BatchOptions& options, const std::string& input,
                   processing::RunProgress* progress) {
    processing::CFilterJob job(&options.rules);
    job.SetFormatRoute(RouteFor(options));
    job.SetFileList(std::vector<std::string>{input});
    job.SetSuffix(options.suffix);
    job.SetProgress(progress);
    FileOutcome outcome;
    outcome.attempted = true;
    outcome.ok = job.Run();
    if (outcome.ok) {
        outcome.summary = job.GetSummaries().front();
    } else {
        outcome.failure = job.GetFailure();
    }
    return outcome;
}

}  // namespace

std::string BatchOutputPath(const std::string& input, const std::string& suffix) {
    return processing::OutputPathOf(input, suffix, RouteFor(BatchOptions{}));
}

std::vector<FileOutcome> RunBatch(
    const BatchOptions& options,
    const std::function<processing::RunProgress*(std::size_t)>& progressFor) {
    std::vector<FileOutcome> outcomes(options.inputs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    auto worker = [&] {
        for (;;) {
            if (stop.load()) {
                return;
            }
            const std::size_t i = next.fetch_add(1);
            if (i >= options.inputs.size()) {
                return;
            }
            outcomes[i] = RunOne(options, options.inputs[i], progressFor(i));
            if (!outcomes[i].ok && !options.keepGoing) {
                stop.store(true);
            }
        }
    };
    const std::size_t threads =
        std::min<std::size_t>(options.jobs, std::max<std::size_t>(options.inputs.size(), 1));
    if (threads <= 1) {
        worker();
        return outcomes;
    }
    std::vector<std::thread> pool;
    for (std::size_t t = 0; t < threads; ++t) {
        pool.emplace_back(worker);
    }
    for (std::thread& t : pool) {
        t.join();
    }
    return outcomes;
}
