// brevanto-mzml: filters mzML/mzXML files and converts between raw data files and mzML.
#include <cstdio>
#include <string>
#include <vector>

#include "mzml/open_format_filter.h"
#include "mzml/raw_conversion.h"
#include "params/rule_text.h"

namespace {

constexpr const char* kUsage =
    "usage: brevanto-mzml filter [-r RULE]... IN [OUT]   (OUT defaults to IN's _BRV name)\n"
    "       brevanto-mzml import IN.mzML OUT.raw\n"
    "       brevanto-mzml export IN.raw OUT.mzML\n"
    "RULE is FUNCTION:LOW:HIGH:DEFECT:ABOVE:BELOW; for open formats FUNCTION is the MS level.\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "brevanto-mzml: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

int Filter(const std::vector<std::string>& args) {
    CMassRangeList rules;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-r") {
            if (i + 1 == args.size()) {
                return Usage("-r needs a rule");
            }
            CMassRange rule;
            std::string error;
            if (!ParseRule(args[++i], rule, error)) {
                return Usage("rule \"" + args[i] + "\": " + error);
            }
            rules.AddEntry(rule);
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.empty() || paths.size() > 2) {
        return Usage("filter takes one input and at most one output");
    }
    const std::string output =
        paths.size() == 2 ? paths[1] : OpenFormatOutputPath(paths[0], "_BRV");
    FileSummary summary;
    std::string error;
    if (!FilterOpenFormatFile(paths[0], output, rules, nullptr, summary, error)) {
        std::fprintf(stderr, "brevanto-mzml: %s\n", error.c_str());
        return 1;
    }
    for (const FunctionSummary& f : summary.functions) {
        std::printf("%s -> %s  MS level %d: %u spectra, %llu peaks read, %llu kept%s\n",
                    summary.input.c_str(), summary.output.c_str(), f.function, f.scans,
                    static_cast<unsigned long long>(f.peaksRead),
                    static_cast<unsigned long long>(f.peaksKept),
                    f.filtered ? "" : " (no rules: copied whole)");
    }
    if (summary.functions.empty()) {
        std::printf("%s -> %s  no spectra\n", summary.input.c_str(), summary.output.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage("no command");
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "filter") {
        return Filter(rest);
    }
    if (args[0] == "import" || args[0] == "export") {
        if (rest.size() != 2) {
            return Usage(args[0] + " takes an input and an output");
        }
        std::string error;
        const bool ok = args[0] == "import" ? ImportMzml(rest[0], rest[1], error)
                                            : ExportMzml(rest[0], rest[1], error);
        if (!ok) {
            std::fprintf(stderr, "brevanto-mzml: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (args[0] == "-h" || args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return Usage("unknown command \"" + args[0] + "\"");
}
