#include "tools/batch/batch_runner.h"

#include <atomic>
#include <cstdio>
#include <thread>

#include "processing/filter_job.h"
#include "processing/output_path.h"

#ifdef BREVANTO_HAVE_MZML
#include "mzml/open_format_filter.h"
#endif

namespace {

#ifdef BREVANTO_HAVE_MZML
// mzML and mzXML inputs are filtered in place of the raw run, with the same rules, naming,
// progress and summary.
FileOutcome RunOpenFormat(const BatchOptions& options, const std::string& input,
                          RunProgress* progress) {
    FileOutcome outcome;
    outcome.attempted = true;
    NullProgress none;
    RunProgress& shown = progress != nullptr ? *progress : none;
    shown.Show();
    std::string error;
    const std::string output = BatchOutputPath(input, options.suffix);
    const std::string refusal = CheckOutputPath(input, output);
    if (!refusal.empty()) {
        outcome.failure = {input, "output path " + output, kRawOk, refusal, "", ""};
    } else {
        OpenFormatOptions formatOptions;
        formatOptions.ignoreChecksums = options.ignoreChecksums;
        formatOptions.warn = [](const std::string& warning) {
            std::fprintf(stderr, "brevanto-batch: warning: %s\n", warning.c_str());
        };
        outcome.ok = FilterOpenFormatFile(input, output, options.rules, progress,
                                          outcome.summary, error, formatOptions);
        if (!outcome.ok) {
            outcome.failure = {input, "filtering", kRawOk, error, "", ""};
        }
    }
    shown.Hide();
    return outcome;
}
#endif

FileOutcome RunOne(const BatchOptions& options, const std::string& input, RunProgress* progress) {
#ifdef BREVANTO_HAVE_MZML
    if (IsOpenFormatPath(input) || IsOpenFormatFile(input)) {
        return RunOpenFormat(options, input, progress);
    }
#endif
    CFilterJob job(&options.rules);
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

std::string BatchOutputPath(const std::string& given, const std::string& suffix) {
    // "x.raw/", as shell completion writes it, names x.raw.
    const std::string input = WithoutTrailingSlashes(given);
#ifdef BREVANTO_HAVE_MZML
    if (IsOpenFormatPath(input)) {
        return OpenFormatOutputPath(input, suffix);
    }
#endif
    return OutputPathFor(input, suffix);
}

std::vector<FileOutcome> RunBatch(const BatchOptions& options,
                                  const std::function<RunProgress*(std::size_t)>& progressFor) {
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
