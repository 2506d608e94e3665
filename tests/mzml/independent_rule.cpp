#include "tests/mzml/independent_rule.h"

#include <cmath>

bool IndependentRuleKeeps(const params::CMassRange& rule, double mz) {
    const double m = static_cast<double>(static_cast<float>(mz));
    if (std::isnan(m))
        return false;
    if (!(static_cast<double>(rule.GetLowMass()) <= m &&
          m < static_cast<double>(rule.GetHighMass()))) {
        return false;
    }
    double lower = rule.GetMassDefect() - rule.GetWindowBelow() * 0.001;
    if (lower < 0)
        lower = lower + 1.0;
    double upper = rule.GetMassDefect() + rule.GetWindowAbove() * 0.001;
    if (upper - 1.0 > 0)
        upper = upper - 1.0;
    const double f = m - std::trunc(m);
    if (lower <= upper)
        return lower < f && f < upper;
    return f > lower || f < upper;
}

bool IndependentRulesKeep(const params::CMassRangeList& rules, std::int32_t level, double mz) {
    for (std::int32_t i = 0; i < rules.GetCount(); ++i) {
        params::CMassRange rule;
        rules.GetEntry(i, rule);
        if (rule.GetFunction() == level && IndependentRuleKeeps(rule, mz))
            return true;
    }
    return false;
}

bool LevelHasRules(const params::CMassRangeList& rules, std::int32_t level) {
    return rules.CountForFunction(level) > 0;
}
