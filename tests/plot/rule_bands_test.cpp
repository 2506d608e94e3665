#include "plot/rule_bands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "params/mass_range_list.h"

using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;
using plot::RuleBand;
using plot::RuleBands;
using processing::FunctionFilter;
using processing::MassFraction;

namespace {

struct BandCase {
    const char* name;
    CMassRange rule;
    std::vector<std::pair<double, double>> defects;  // each band's (low, high), in order
};

CMassRangeList One(const CMassRange& rule) {
    CMassRangeList list;
    list.AddEntry(rule);
    return list;
}

TEST(RuleBands, EachWindowGivesItsBands) {
    const BandCase cases[] = {
        {"ordinary", MakeMassRange(1, 200, 800, 0.25, 40, 30), {{0.22, 0.29}}},
        {"wrapping above 1", MakeMassRange(1, 200, 800, 0.98, 50, 50), {{0.93, 1.0}, {0.0, 0.03}}},
        {"wrapping below 0", MakeMassRange(1, 200, 800, 0.01, 30, 60), {{0.95, 1.0}, {0.0, 0.04}}},
        {"wider than 1 Da", MakeMassRange(1, 200, 800, 0.5, 800, 800), {{0.7, 1.0}, {0.0, 0.3}}},
        {"defect above 1", MakeMassRange(1, 200, 800, 1.3, 40, 40), {{0.0, 0.34}}},
        // Its upper bound stays below 0, so the window counts as wrapping: every defect above the
        // lower bound is kept.
        {"defect below 0", MakeMassRange(1, 200, 800, -0.2, 60, 60), {{0.74, 1.0}}},
        {"lower bound still negative", MakeMassRange(1, 200, 800, -2.5, 0, 100), {{0.0, 1.0}}},
        {"upper bound past 1 and lower past 0",
         MakeMassRange(1, 200, 800, 0.6, 1500, 10),
         {{0.59, 1.0}}},
        {"empty mass range", MakeMassRange(1, 800, 200, 0.5, 40, 40), {}},
        {"zero window", MakeMassRange(1, 200, 800, 0.5, 0, 0), {}},
    };
    for (const BandCase& c : cases) {
        const FunctionFilter filter(One(c.rule), 1);
        const std::vector<RuleBand> bands = RuleBands(filter);
        ASSERT_EQ(bands.size(), c.defects.size()) << c.name;
        for (std::size_t i = 0; i < bands.size(); ++i) {
            EXPECT_NEAR(bands[i].defectLow, c.defects[i].first, 1e-12) << c.name << " band " << i;
            EXPECT_NEAR(bands[i].defectHigh, c.defects[i].second, 1e-12) << c.name << " band " << i;
            EXPECT_EQ(bands[i].massLow, c.rule.GetLowMass()) << c.name;
            EXPECT_EQ(bands[i].massHigh, c.rule.GetHighMass()) << c.name;
        }
    }
}

// By construction and by test: a peak drawn inside a band is a peak the filter keeps, and a
// kept peak is drawn inside a band.
TEST(RuleBands, APeakInsideABandIsAPeakTheFilterKeeps) {
    const std::vector<CMassRange> rules = {
        MakeMassRange(1, 200, 800, 0.25, 40, 30),  MakeMassRange(1, 0, 1000, 0.98, 50, 50),
        MakeMassRange(1, 0, 1000, 0.01, 30, 60),   MakeMassRange(1, 0, 1000, 0.5, 800, 800),
        MakeMassRange(1, 100, 900, 1.3, 40, 40),   MakeMassRange(1, 100, 900, -0.2, 60, 60),
        MakeMassRange(1, 100, 900, -2.5, 0, 100),  MakeMassRange(1, 100, 900, -0.5, 0, 800),
        MakeMassRange(1, 0, 1000, 0.6, 1500, 10),  MakeMassRange(1, 0, 1000, 0.5, 0, 0),
        MakeMassRange(1, 0, 1000, 0.0, 100, 0),    MakeMassRange(1, 0, 1000, 1.0, 0, 100),
        MakeMassRange(1, 0, 1000, 0.25, 250, 250),
    };
    std::vector<float> masses;
    std::mt19937 random(11);
    std::uniform_real_distribution<float> any(0.0f, 1100.0f);
    for (int i = 0; i < 20000; ++i)
        masses.push_back(any(random));
    for (int whole : {0, 99, 100, 199, 200, 500, 799, 800, 899, 900, 999, 1000}) {
        for (int step = 0; step <= 100; ++step) {
            const float m = static_cast<float>(whole + step / 100.0);
            masses.push_back(m);
            masses.push_back(std::nextafter(m, 0.0f));
            masses.push_back(std::nextafter(m, 2000.0f));
        }
    }
    for (const CMassRange& rule : rules) {
        const FunctionFilter filter(One(rule), 1);
        const std::vector<RuleBand> bands = RuleBands(filter);
        for (float m : masses) {
            const double mass = static_cast<double>(m);
            bool inside = false;
            for (const RuleBand& band : bands)
                inside |= band.Contains(mass, MassFraction(mass));
            ASSERT_EQ(inside, filter.Keeps(m))
                << "rule " << rule.GetMassDefect() << " +" << rule.GetWindowAbove() << " -"
                << rule.GetWindowBelow() << ", mass " << mass;
        }
    }
}

TEST(RuleBands, BandsFollowTheRulesOfTheirFunctionInOrder) {
    CMassRangeList rules;
    rules.AddEntry(MakeMassRange(2, 100, 200, 0.5, 10, 10));
    rules.AddEntry(MakeMassRange(1, 300, 400, 0.98, 50, 50));
    rules.AddEntry(MakeMassRange(1, 500, 600, 0.2, 10, 10));
    const std::vector<RuleBand> bands = RuleBands(FunctionFilter(rules, 1));
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0].rule, 0);
    EXPECT_EQ(bands[1].rule, 0);
    EXPECT_EQ(bands[2].rule, 1);
    EXPECT_EQ(bands[2].massLow, 500.0);
}

}  // namespace
