// brevanto-batch: filters acquisitions from the command line. Summaries go to standard
// output, so they can be piped; warnings, failures and the progress line to standard error.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/batch/batch_options.h"
#include "tools/batch/batch_paths.h"
#include "tools/batch/batch_runner.h"
#include "tools/batch/terminal_progress.h"
#include "tools/common/exit_codes.h"
#include "tools/common/tool_version.h"

namespace {

void PrintSummary(const std::vector<FileOutcome>& outcomes) {
    for (const FileOutcome& o : outcomes) {
        if (!o.ok) {
            continue;
        }
        for (const processing::FunctionSummary& f : o.summary.functions) {
            std::printf("%s -> %s  function %d: %llu peaks read, %llu kept%s\n",
                        o.summary.input.c_str(), o.summary.output.c_str(), f.function,
                        static_cast<unsigned long long>(f.peaksRead),
                        static_cast<unsigned long long>(f.peaksKept),
                        f.filtered ? "" : " (no rules: copied whole)");
        }
        if (o.summary.functions.empty()) {
            std::printf("%s -> %s  no functions\n", o.summary.input.c_str(),
                        o.summary.output.c_str());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    BatchOptions options;
    std::string error;
    if (!ParseBatchOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "brevanto-batch: %s\n%s", error.c_str(), kBatchUsage);
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(BatchHelp().c_str(), stdout);
        return kExitOk;
    }
    if (options.version) {
        std::printf("%s\n", VersionText("brevanto-batch").c_str());
        return kExitOk;
    }
    // Before anything is written: no output may be an input or another input's output.
    if (const std::string refusal = CheckBatchPaths(options.inputs, options.suffix);
        !refusal.empty()) {
        std::fprintf(stderr, "brevanto-batch: %s\n", refusal.c_str());
        return kExitUsage;
    }
    for (const std::string& warning : BatchWarnings(options)) {
        std::fprintf(stderr, "brevanto-batch: warning: %s\n", warning.c_str());
    }

    std::unique_ptr<TerminalProgress> line;
    std::vector<std::unique_ptr<FileProgress>> views;
    if (!options.quiet && isatty(STDERR_FILENO) == 1) {
        line = std::make_unique<TerminalProgress>(stderr, options.inputs.size());
        for (std::size_t i = 0; i < options.inputs.size(); ++i) {
            views.push_back(std::make_unique<FileProgress>(line.get()));
        }
    }
    const std::vector<FileOutcome> outcomes =
        RunBatch(options, [&](std::size_t i) -> processing::RunProgress* {
            return views.empty() ? nullptr : views[i].get();
        });
    if (line) {
        line->Clear();
    }

    int status = kExitOk;
    for (const FileOutcome& o : outcomes) {
        if (o.attempted && !o.ok) {
            std::fprintf(stderr, "brevanto-batch: %s\n", o.failure.Describe().c_str());
            status = kExitInputFailed;
        }
    }
    std::size_t skipped = 0;
    for (const FileOutcome& o : outcomes) {
        skipped += o.attempted ? 0 : 1;
    }
    if (skipped > 0) {
        std::fprintf(stderr, "brevanto-batch: %zu input(s) not processed after the failure\n",
                     skipped);
    }
    if (!options.quiet) {
        PrintSummary(outcomes);
    }
    return status;
}
