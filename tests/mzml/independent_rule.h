#pragma once

#include <cstdint>

#include "params/mass_range_list.h"

// The rule arithmetic of the README's "The filter, exactly", written again from that text
// alone, so that the filter's decisions are checked against something that does not share its
// code: m/z rounded to a float and widened, lowMass <= m < highMass, the window bounds moved
// by one whole mass at most once, and a window that wraps past the integer.
bool IndependentRuleKeeps(const params::CMassRange& rule, double mz);

// True when some rule of `level` keeps the peak; false when none does or the level has none.
bool IndependentRulesKeep(const params::CMassRangeList& rules, std::int32_t level, double mz);

// True when some rule is written for `level`.
bool LevelHasRules(const params::CMassRangeList& rules, std::int32_t level);
