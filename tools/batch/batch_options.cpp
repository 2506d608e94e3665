#include "tools/batch/batch_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <map>
#include <utility>

#include "params/rule_text.h"
#include "processing/input_list_file.h"
#include "tools/common/cli_support.h"
#include "tools/common/exit_codes.h"
#include "tools/common/rule_arguments.h"

namespace {

// The command line as the parser sees it. Rules and inputs are taken in the order the parser
// met them, so that "--rule", "--rules", "--list" and plain inputs interleave as written.
struct BatchCommandLine {
    CLI::App app{
        "Filters acquisitions: for each input x.raw (or mzML, mzXML) writes x_BRV.raw "
        "beside it, whose spectra keep only the peaks a rule accepts.",
        "brevanto-batch"};
    std::vector<std::string> rules, ruleFiles, listFiles, inputs;
    std::string jobs;
    CLI::Option* rule = nullptr;
    CLI::Option* rulesFile = nullptr;
    CLI::Option* list = nullptr;
    CLI::Option* jobsOption = nullptr;
    CLI::Option* input = nullptr;

    explicit BatchCommandLine(BatchOptions& options) {
        app.allow_extras();  // unknown options are named by ParseBatchOptions
        app.set_help_flag("-h,--help", "Print this help and exit");
        app.add_flag("--version", options.version, "Print the version and exit");
        app.add_option("--suffix", options.suffix,
                       "Appended to each output's name (default _BRV; never empty)")
            ->type_name("TEXT")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        rule = app.add_option("--rule", rules, "A rule F:LOW:HIGH:DEFECT:ABOVE:BELOW; repeatable")
                   ->type_name("RULE")
                   ->allow_extra_args(false);
        rulesFile = app.add_option("--rules", ruleFiles,
                                   "A file of rules, one per line; # starts a comment")
                        ->type_name("FILE")
                        ->allow_extra_args(false);
        list = app.add_option("--list", listFiles, "A file of inputs, one per line")
                   ->type_name("FILE")
                   ->allow_extra_args(false);
        jobsOption = app.add_option("-j", jobs, "Inputs run at once, 1 to 256 (default 1)")
                         ->type_name("N")
                         ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        app.add_flag("--keep-going", options.keepGoing, "Go on with the others after a failure");
        app.add_flag("--quiet", options.quiet, "No progress line, no summary");
        app.add_flag("--ignore-checksums", options.ignoreChecksums,
                     "Filter open-format files whose checksum is wrong, with a warning");
        input = app.add_option("INPUT", inputs, "Acquisitions to filter, in order");
        app.footer(ExitStatusHelp());
    }
};

bool ReadJobs(const std::string& number, unsigned& jobs, std::string& error) {
    unsigned parsed = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (ec != std::errc() || end != number.data() + number.size() || parsed < 1 || parsed > 256) {
        error = "-j takes a number of files from 1 to 256, not '" + number + "'";
        return false;
    }
    jobs = parsed;
    return true;
}

bool ReadListFile(const std::string& path, BatchOptions& options, std::string& error) {
    std::vector<std::string> lines;
    if (!processing::ReadTextLines(path, "list file", lines, error)) {
        return false;
    }
    // An empty line names no input (a blank line between groups, say).
    for (std::string& line : lines) {
        if (!line.empty()) {
            options.inputs.push_back(std::move(line));
        }
    }
    return true;
}

}  // namespace

std::string BatchHelp() {
    BatchOptions unused;
    BatchCommandLine line(unused);
    return line.app.help();
}

bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions& options,
                       std::string& error) {
    BatchCommandLine line(options);
    try {
        ParseInOrder(line.app, args);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
        return true;
    } catch (const CLI::ParseError& e) {
        error = DescribeParseError(e);
        return false;
    }
    if (options.version) {
        return true;
    }
    if (const std::string arg = FindSwitchWithValue(line.app, args); !arg.empty()) {
        error = "unknown option " + arg;
        return false;
    }
    for (const std::string& extra : line.app.remaining()) {
        if (extra != "--") {
            error = "unknown option " + extra;
            return false;
        }
    }
    // Values come from each option's results, its arguments exactly as written, one per
    // occurrence; the bound vectors only tell the parser how many an option takes.
    std::map<const CLI::Option*, std::size_t> used;
    for (const CLI::Option* option : line.app.parse_order()) {
        const std::size_t index = used[option]++;
        if (index >= option->results().size()) {
            continue;  // no value to take
        }
        const std::string& value = option->results()[index];
        bool ok = true;
        if (option == line.rule) {
            ok = AddRuleArgument(value, "", options.rules, error);
        } else if (option == line.rulesFile) {
            ok = AddRulesFile(value, options.rules, error);
        } else if (option == line.list) {
            ok = ReadListFile(value, options, error);
        } else if (option == line.input) {
            options.inputs.push_back(value);
        }
        if (!ok) {
            return false;
        }
    }
    if (line.jobsOption->count() > 0 && !ReadJobs(line.jobs, options.jobs, error)) {
        return false;
    }
    if (options.rules.GetCount() == 0) {
        error = "no rule given (--rule or --rules)";
        return false;
    }
    if (options.inputs.empty()) {
        error = "no input given";
        return false;
    }
    return true;
}

std::vector<std::string> BatchWarnings(const BatchOptions& options) {
    std::vector<std::string> warnings;
    for (std::int32_t i = 0; i < options.rules.GetCount(); ++i) {
        params::CMassRange rule;
        options.rules.GetEntry(i, rule);
        if (rule.GetLowMass() >= rule.GetHighMass()) {
            warnings.push_back("rule '" + params::FormatRule(rule) +
                               "' keeps nothing: its low mass " +
                               std::to_string(rule.GetLowMass()) + " is not below its high mass " +
                               std::to_string(rule.GetHighMass()));
        }
    }
    return warnings;
}
