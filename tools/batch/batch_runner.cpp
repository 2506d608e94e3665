#include "tools/batch/batch_runner.h"

#include <atomic>
#include <thread>

#include "processing/filter_job.h"

namespace {

FileOutcome RunOne(const BatchOptions& options, const std::string& input, RunProgress* progress) {
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
