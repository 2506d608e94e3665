#include "tools/batch/batch_options.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "params/rule_text.h"
#include "processing/input_list_file.h"

namespace {

bool AddRule(const std::string& text, const std::string& where, BatchOptions& options,
             std::string& error) {
    CMassRange rule;
    std::string why;
    if (!ParseRule(text, rule, why)) {
        error = where + "rule '" + text + "': " + why;
        return false;
    }
    options.rules.AddEntry(rule);
    return true;
}

bool ReadRulesFile(const std::string& path, BatchOptions& options, std::string& error) {
    std::vector<std::string> lines;
    if (!ReadTextLines(path, "rules file", lines, error)) {
        return false;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        const std::size_t last = line.find_last_not_of(" \t");
        if (!AddRule(line.substr(first, last + 1 - first),
                     path + ":" + std::to_string(i + 1) + ": ", options, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> BatchWarnings(const BatchOptions& options) {
    std::vector<std::string> warnings;
    for (std::int32_t i = 0; i < options.rules.GetCount(); ++i) {
        CMassRange rule;
        options.rules.GetEntry(i, rule);
        if (rule.GetLowMass() >= rule.GetHighMass()) {
            warnings.push_back("rule '" + FormatRule(rule) + "' keeps nothing: its low mass " +
                               std::to_string(rule.GetLowMass()) + " is not below its high mass " +
                               std::to_string(rule.GetHighMass()));
        }
    }
    return warnings;
}

bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions& options,
                       std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--suffix") {
            if (!value(options.suffix)) return false;
        } else if (arg == "--rule") {
            if (!value(v) || !AddRule(v, "", options, error)) return false;
        } else if (arg == "--rules") {
            if (!value(v) || !ReadRulesFile(v, options, error)) return false;
        } else if (arg == "--list") {
            if (!value(v)) return false;
            std::vector<std::string> lines;
            if (!ReadTextLines(v, "list file", lines, error)) {
                return false;
            }
            // An empty line names no input (a blank line between groups, say).
            for (std::string& line : lines) {
                if (!line.empty()) {
                    options.inputs.push_back(std::move(line));
                }
            }
        } else if (arg == "-j" || arg.rfind("-j", 0) == 0) {
            if (arg == "-j" && !value(v)) return false;
            const std::string number = arg == "-j" ? v : arg.substr(2);
            unsigned jobs = 0;
            const auto [end, ec] =
                std::from_chars(number.data(), number.data() + number.size(), jobs);
            if (ec != std::errc() || end != number.data() + number.size() || jobs < 1 ||
                jobs > 256) {
                error = "-j takes a number of files from 1 to 256, not '" + number + "'";
                return false;
            }
            options.jobs = jobs;
        } else if (arg == "--keep-going") {
            options.keepGoing = true;
        } else if (arg == "--ignore-checksums") {
            options.ignoreChecksums = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--") {
            options.inputs.insert(options.inputs.end(), args.begin() + static_cast<long>(i) + 1,
                                  args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            options.inputs.push_back(arg);
        }
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
