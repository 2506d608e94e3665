#include "bench/mzml_synth/synth_arguments.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::optional<std::uint64_t> ParseCount(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseReal(const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

SynthParse ParseSynthArguments(const std::vector<std::string>& args, SynthOptions& options,
                               std::string& error) {
    options = SynthOptions{};
    std::optional<SynthFormat> format;
    bool gzip = false;
    bool sized = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            return SynthParse::kHelp;
        }
        if (arg == "--gzip") {
            gzip = true;
            continue;
        }
        if (arg == "--small") {
            options.spectra = kSmallSpectra;
            sized = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            if (!options.output.empty()) {
                error = "more than one output: " + options.output + " and " + arg;
                return SynthParse::kError;
            }
            options.output = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return SynthParse::kError;
        }
        const std::string& value = args[++i];
        if (arg == "--format") {
            if (value == "mzML") {
                format = SynthFormat::kMzML;
            } else if (value == "mzXML") {
                format = SynthFormat::kMzXML;
            } else {
                error = "--format must be mzML or mzXML, not " + value;
                return SynthParse::kError;
            }
        } else if (arg == "--compression") {
            if (value == "zlib") {
                options.compression = SynthCompression::kZlib;
            } else if (value == "none") {
                options.compression = SynthCompression::kNone;
            } else {
                error = "--compression must be zlib or none, not " + value;
                return SynthParse::kError;
            }
        } else if (arg == "--seed") {
            const auto seed = ParseCount(value);
            if (!seed) {
                error = "--seed must be a whole number, not " + value;
                return SynthParse::kError;
            }
            options.seed = *seed;
        } else if (arg == "--spectra") {
            const auto count = ParseCount(value);
            if (!count || *count == 0) {
                error = "--spectra must be a whole number above 0, not " + value;
                return SynthParse::kError;
            }
            options.spectra = *count;
            sized = true;
        } else if (arg == "--size-gib") {
            const auto gib = ParseReal(value);
            if (!gib || *gib <= 0 || *gib > 1024) {
                error = "--size-gib must be a number above 0 and at most 1024, not " + value;
                return SynthParse::kError;
            }
            options.spectra = 0;
            options.targetBytes = static_cast<std::uint64_t>(*gib * 1024.0 * 1024.0 * 1024.0);
            sized = true;
        } else if (arg == "--zlib-level") {
            const auto level = ParseCount(value);
            if (!level || *level < 1 || *level > 9) {
                error = "--zlib-level must be 1 to 9, not " + value;
                return SynthParse::kError;
            }
            options.zlibLevel = static_cast<int>(*level);
        } else {
            error = "unknown option " + arg;
            return SynthParse::kError;
        }
    }
    if (options.output.empty()) {
        error = "no output file given";
        return SynthParse::kError;
    }
    if (!sized) {
        options.spectra = kSmallSpectra;
    }
    options.gzip = gzip || EndsWith(options.output, ".gz");
    const std::string bare = EndsWith(options.output, ".gz")
                                 ? options.output.substr(0, options.output.size() - 3)
                                 : options.output;
    options.format =
        format.value_or(EndsWith(bare, ".mzXML") ? SynthFormat::kMzXML : SynthFormat::kMzML);
    return SynthParse::kRun;
}
