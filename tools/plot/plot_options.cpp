#include "tools/plot/plot_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <ostream>

#include "tools/common/exit_codes.h"
#include "tools/common/rule_arguments.h"
#include "tools/common/tool_version.h"

namespace {

bool ParseDouble(const std::string& text, double& value) {
    try {
        std::size_t used = 0;
        value = std::stod(text, &used);
        return used == text.size() && std::isfinite(value);
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseMassRange(const std::string& text, std::pair<double, double>& range, std::string& error) {
    const std::size_t colon = text.find(':');
    double low = 0.0;
    double high = 0.0;
    if (colon == std::string::npos || !ParseDouble(text.substr(0, colon), low) ||
        !ParseDouble(text.substr(colon + 1), high)) {
        error = "--mass '" + text + "': expected LOW:HIGH in Da, e.g. 200:800";
        return false;
    }
    if (low < 0.0 || !(low < high)) {
        error = "--mass '" + text + "': the low mass must be at least 0 and below the high mass";
        return false;
    }
    range = {low, high};
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height, std::string& error) {
    const std::size_t x = text.find_first_of("xX");
    try {
        std::size_t usedW = 0;
        std::size_t usedH = 0;
        if (x != std::string::npos) {
            const std::string w = text.substr(0, x);
            const std::string h = text.substr(x + 1);
            const long lw = std::stol(w, &usedW);
            const long lh = std::stol(h, &usedH);
            if (usedW == w.size() && usedH == h.size() && lw >= kMinPlotWidth &&
                lh >= kMinPlotHeight && lw <= kMaxPlotSide && lh <= kMaxPlotSide) {
                width = static_cast<int>(lw);
                height = static_cast<int>(lh);
                return true;
            }
        }
    } catch (const std::exception&) {
    }
    error = "--size '" + text + "': expected WIDTHxHEIGHT in pixels, from " +
            std::to_string(kMinPlotWidth) + "x" + std::to_string(kMinPlotHeight) + " to " +
            std::to_string(kMaxPlotSide) + "x" + std::to_string(kMaxPlotSide);
    return false;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size())
        return false;
    return std::equal(end.begin(), end.end(), text.end() - static_cast<long>(end.size()),
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

}  // namespace

int ParsePlotOptions(const std::vector<std::string>& args, PlotOptions& options, std::ostream& out,
                     std::ostream& err) {
    CLI::App app{
        "Draws the mass defect of every peak of one function of an acquisition against "
        "its mass, with the rule windows over it.",
        "brevanto-plot"};
    app.set_version_flag("--version", VersionText("brevanto-plot"));
    app.footer(ExitStatusHelp());
    std::vector<std::string> ruleTexts;
    std::string rulesFile;
    std::string mass;
    std::string weight = "count";
    std::string kendrick;
    std::string size;
    app.add_option("INPUT", options.input,
                   "raw data file (x.raw) or mzML/mzXML file, plain or gzipped")
        ->required();
    app.add_option("--function", options.function,
                   "acquisition function (MS level for mzML/mzXML), default 1")
        ->check(CLI::Range(1, 1000));
    // One value per --rule, so that the input may follow a rule.
    app.add_option("--rule", ruleTexts, "rule F:LOW:HIGH:DEFECT:ABOVE:BELOW (repeatable)")
        ->allow_extra_args(false);
    app.add_option("--rules", rulesFile, "file of rules, one per line");
    app.add_option("--mass", mass, "mass axis LOW:HIGH in Da (default: the peaks' range)");
    app.add_option("--weight", weight, "count (default) or intensity")
        ->check(CLI::IsMember({"count", "intensity"}));
    app.add_option("--kendrick", kendrick,
                   "plot the Kendrick mass defect for this base formula, e.g. CH2");
    app.add_option("--size", size, "image size WIDTHxHEIGHT in pixels, default 1200x800");
    app.add_option("-o,--output", options.output, "the picture to write: OUT.png or OUT.svg")
        ->required();
    app.add_flag("--ignore-checksums", options.ignoreChecksums,
                 "plot an open-format file whose own SHA-1 checksum is wrong, with a warning");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << "\n";
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        err << "brevanto-plot: " << e.what() << "\n"
            << "Run with --help for more information.\n";
        return kExitUsage;
    }

    std::string error;
    for (const std::string& text : ruleTexts) {
        if (!AddRuleArgument(text, "", options.rules, error))
            break;
    }
    if (error.empty() && !rulesFile.empty()) {
        AddRulesFile(rulesFile, options.rules, error);
    }
    if (error.empty() && !mass.empty()) {
        std::pair<double, double> range;
        if (ParseMassRange(mass, range, error))
            options.mass = range;
    }
    if (error.empty()) {
        options.weight =
            weight == "intensity" ? plot::PeakWeight::kIntensity : plot::PeakWeight::kCount;
    }
    if (error.empty() && !kendrick.empty()) {
        plot::KendrickBase base;
        if (plot::ParseKendrickBase(kendrick, base, error))
            options.kendrick = base;
    }
    if (error.empty() && !size.empty()) {
        ParseSize(size, options.width, options.height, error);
    }
    if (error.empty() && !EndsWithNoCase(options.output, ".png") &&
        !EndsWithNoCase(options.output, ".svg")) {
        error = "-o '" + options.output + "': the picture's name must end in .png or .svg";
    }
    if (!error.empty()) {
        err << "brevanto-plot: " << error << "\n";
        return kExitUsage;
    }
    return -1;
}
