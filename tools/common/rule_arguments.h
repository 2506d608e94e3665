#pragma once

#include <string>

#include "params/mass_range_list.h"

// The rules of a command line, as brevanto-batch and brevanto-plot both take them: `--rule
// TEXT` and `--rules FILE`, in the rule text of params/rule_text.h.

// Adds the rule `text` to `rules`. On failure `error` quotes the rule, after `where` (such as
// "study.rules:3: ", or empty for a rule typed on the command line), and says what is wrong.
bool AddRuleArgument(const std::string& text, const std::string& where,
                     params::CMassRangeList& rules, std::string& error);

// Adds the rules of a rules file, one per line, in order. Blank lines and lines whose first
// non-blank character is '#' are skipped; blanks around a rule are ignored. The first bad line
// fails the whole file, named with its line number.
bool AddRulesFile(const std::string& path, params::CMassRangeList& rules, std::string& error);
