#include <cstdio>
#include <limits>

#include "rawsynth/synth_acquisition.h"
#include "tools/raw/command_line.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

struct NumberOption {
    std::string_view name;
    std::uint64_t max;
    std::uint32_t rawsynth::SynthOptions::*field;
};

constexpr std::uint64_t kMaxCount = std::numeric_limits<std::int32_t>::max();

constexpr NumberOption kNumberOptions[] = {
    {"functions", 65535, &rawsynth::SynthOptions::functions},
    {"scans", kMaxCount, &rawsynth::SynthOptions::scans},
    {"peaks", kMaxCount, &rawsynth::SynthOptions::peaks},
    {"analog", 65535, &rawsynth::SynthOptions::analogChannels},
    {"points", kMaxCount, &rawsynth::SynthOptions::analogPoints},
    {"history", 65534, &rawsynth::SynthOptions::historyRecords},
    {"companions", 100000, &rawsynth::SynthOptions::companions},
};

}  // namespace

int RunSynth(const std::vector<std::string_view>& args) {
    OptionNames names{{"seed"}, {"no-stats", "no-ee"}};
    for (const NumberOption& option : kNumberOptions) {
        names.withValue.push_back(option.name);
    }
    CommandLine line;
    if (const std::optional<int> done = ParseCommand("synth", args, names, line)) {
        return *done;
    }
    std::string error;
    rawsynth::SynthOptions options;
    for (const NumberOption& option : kNumberOptions) {
        std::uint64_t value = options.*option.field;
        if (!ReadNumberOption(line, option.name, option.max, value, error)) {
            return UsageError("synth: " + error);
        }
        options.*option.field = static_cast<std::uint32_t>(value);
    }
    if (!ReadNumberOption(line, "seed", std::numeric_limits<std::uint64_t>::max(), options.seed,
                          error)) {
        return UsageError("synth: " + error);
    }
    options.statistics = !line.switches.contains("no-stats");
    options.extendedExperiment = !line.switches.contains("no-ee");

    std::string failedStep;
    const RawStatus status = rawsynth::SynthesizeAcquisition(line.path, options, &failedStep);
    if (status != kRawOk) {
        ReportRawFailure(line.path, "cannot synthesize (" + failedStep + ")", status);
        return kExitInputFailed;
    }
    return kExitOk;
}
