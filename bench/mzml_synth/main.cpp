// brevanto_mzml_synth: writes a realistic synthetic LC-MS acquisition as mzML or mzXML, for
// benchmarks and tests of the open-format filter.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/mzml_synth/synth_arguments.h"
#include "bench/mzml_synth/synth_file.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    SynthOptions options;
    std::string error;
    switch (ParseSynthArguments(args, options, error)) {
        case SynthParse::kHelp:
            std::fputs(kSynthUsage, stdout);
            return 0;
        case SynthParse::kError:
            std::fprintf(stderr, "brevanto_mzml_synth: %s\n%s", error.c_str(), kSynthUsage);
            return 2;
        case SynthParse::kRun:
            break;
    }
    SynthReport report;
    if (!WriteSynthFile(options, report, error)) {
        std::fprintf(stderr, "brevanto_mzml_synth: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %llu spectra (%llu MS1), %llu peaks (%llu in MS1), %llu bytes of text\n",
                options.output.c_str(), static_cast<unsigned long long>(report.spectra),
                static_cast<unsigned long long>(report.ms1Spectra),
                static_cast<unsigned long long>(report.peaks),
                static_cast<unsigned long long>(report.ms1Peaks),
                static_cast<unsigned long long>(report.textBytes));
    return 0;
}
