#include "tools/common/rule_arguments.h"

#include <vector>

#include "params/rule_text.h"
#include "processing/input_list_file.h"

bool AddRuleArgument(const std::string& text, const std::string& where,
                     params::CMassRangeList& rules, std::string& error) {
    params::CMassRange rule;
    std::string why;
    if (!params::ParseRule(text, rule, why)) {
        error = where + "rule '" + text + "': " + why;
        return false;
    }
    rules.AddEntry(rule);
    return true;
}

bool AddRulesFile(const std::string& path, params::CMassRangeList& rules, std::string& error) {
    std::vector<std::string> lines;
    if (!processing::ReadTextLines(path, "rules file", lines, error)) {
        return false;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        const std::size_t last = line.find_last_not_of(" \t");
        if (!AddRuleArgument(line.substr(first, last + 1 - first),
                             path + ":" + std::to_string(i + 1) + ": ", rules, error)) {
            return false;
        }
    }
    return true;
}
