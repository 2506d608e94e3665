#include "plot/mass_defect_histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "params/mass_range.h"
#include "params/mass_range_list.h"

using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;
using plot::HistogramSettings;
using plot::KendrickBase;
using plot::MassDefectHistogram;
using plot::ParseKendrickBase;
using plot::PeakWeight;
using processing::FunctionFilter;
using processing::MassFraction;

namespace {

CMassRangeList Rules(std::initializer_list<CMassRange> rules) {
    CMassRangeList list;
    for (const CMassRange& r : rules)
        list.AddEntry(r);
    return list;
}

HistogramSettings Grid(int columns, int rows, double low, double high,
                       PeakWeight weight = PeakWeight::kCount) {
    HistogramSettings s;
    s.columns = columns;
    s.rows = rows;
    s.massLow = low;
    s.massHigh = high;
    s.weight = weight;
    return s;
}

TEST(MassDefectHistogram, KnownPeaksLandInTheirCells) {
    const FunctionFilter none(CMassRangeList{}, 1);
    // 100 columns of 10 Da over [0, 1000), 10 rows of 0.1 Da.
    MassDefectHistogram h(Grid(100, 10, 0.0, 1000.0), none);
    const struct {
        float mass;
        int column;
        int row;
    } cases[] = {
        {0.0f, 0, 0},      {9.5f, 0, 5},       {10.0f, 1, 0},      {255.25f, 25, 2},
        {999.875f, 99, 8}, {500.0625f, 50, 0}, {123.9375f, 12, 9}, {640.5f, 64, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(h.ColumnOf(static_cast<double>(c.mass)), c.column) << c.mass;
        EXPECT_EQ(h.RowOf(MassFraction(static_cast<double>(c.mass))), c.row) << c.mass;
        h.Add(&c.mass, nullptr, 1);
    }
    for (const auto& c : cases) {
        EXPECT_EQ(h.Kept(c.column, c.row), 1.0) << c.mass;
        EXPECT_EQ(h.Dropped(c.column, c.row), 0.0) << c.mass;
    }
    EXPECT_EQ(h.PeaksRead(), std::size(cases));
    EXPECT_EQ(h.PeaksBinned(), std::size(cases));
    EXPECT_EQ(h.Kept(3, 3), 0.0);
    EXPECT_EQ(h.LowestBinnedMass(), 0.0);
    EXPECT_EQ(h.HighestBinnedMass(), static_cast<double>(999.875f));
}

TEST(MassDefectHistogram, PeaksOffTheAxesAreCountedButNotBinned) {
    const FunctionFilter none(CMassRangeList{}, 1);
    MassDefectHistogram h(Grid(10, 10, 100.0, 200.0), none);
    const float masses[] = {99.9f,
                            200.0f,
                            -150.25f,
                            std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            150.5f};
    h.Add(masses, nullptr, std::size(masses));
    EXPECT_EQ(h.PeaksRead(), 6u);
    EXPECT_EQ(h.PeaksBinned(), 1u);
    EXPECT_EQ(h.Kept(5, 5), 1.0);
}

TEST(MassDefectHistogram, CountsAndIntensitySumsAreExact) {
    const FunctionFilter none(CMassRangeList{}, 1);
    MassDefectHistogram count(Grid(4, 4, 0.0, 400.0), none);
    MassDefectHistogram sum(Grid(4, 4, 0.0, 400.0, PeakWeight::kIntensity), none);
    // Three cells; intensities as the raw files hold them (whole numbers up to 2^32 - 1) and
    // as open formats do (any double).
    const std::vector<float> masses = {10.1f, 20.2f, 30.15f, 110.9f, 120.8f, 399.6f};
    const std::vector<double> intensities = {4294967295.0, 4294967295.0, 1.0, 0.5, 0.25, 7.0};
    count.Add(masses.data(), intensities.data(), 3);
    count.Add(masses.data() + 3, intensities.data() + 3, 3);
    sum.Add(masses.data(), intensities.data(), static_cast<std::uint32_t>(masses.size()));
    EXPECT_EQ(count.Kept(0, 0), 3.0);
    EXPECT_EQ(count.Kept(1, 3), 2.0);
    EXPECT_EQ(count.Kept(3, 2), 1.0);
    EXPECT_EQ(sum.Kept(0, 0), 8589934591.0);
    EXPECT_EQ(sum.Kept(1, 3), 0.75);
    EXPECT_EQ(sum.Kept(3, 2), 7.0);
}

TEST(MassDefectHistogram, UnusableIntensitiesWeighNothingAndAreCounted) {
    const FunctionFilter none(CMassRangeList{}, 1);
    MassDefectHistogram h(Grid(1, 1, 0.0, 1000.0, PeakWeight::kIntensity), none);
    const std::vector<float> masses(5, 100.5f);
    const std::vector<double> intensities = {2.0, std::numeric_limits<double>::quiet_NaN(),
                                             std::numeric_limits<double>::infinity(), -3.0, 0.5};
    h.Add(masses.data(), intensities.data(), 5);
    EXPECT_EQ(h.Kept(0, 0), 2.5);
    EXPECT_EQ(h.PeaksUnweighted(), 3u);
    EXPECT_EQ(h.PeaksBinned(), 5u);
}

TEST(MassDefectHistogram, TheAutomaticAxisDoublesWithoutLosingAPeak) {
    const FunctionFilter none(CMassRangeList{}, 1);
    HistogramSettings grid = Grid(64, 8, 0.0, 0.0);
    MassDefectHistogram h(grid, none);
    EXPECT_TRUE(h.AutoMass());
    EXPECT_EQ(h.MassHigh(), 64.0);
    const float small[] = {1.5f, 2.5f, 63.5f};
    h.Add(small, nullptr, 3);
    EXPECT_EQ(h.Kept(1, 4), 1.0);
    const float big = 1000.5f;  // four doublings: [0, 1024), columns of 16 Da
    h.Add(&big, nullptr, 1);
    EXPECT_EQ(h.MassHigh(), 1024.0);
    EXPECT_EQ(h.Kept(0, 4), 2.0);  // 1.5 and 2.5 merged into the first column
    EXPECT_EQ(h.Kept(3, 4), 1.0);  // 63.5
    EXPECT_EQ(h.Kept(62, 4), 1.0);
    double total = 0.0;
    for (int c = 0; c < h.Columns(); ++c)
        for (int r = 0; r < h.Rows(); ++r)
            total += h.Kept(c, r) + h.Dropped(c, r);
    EXPECT_EQ(total, 4.0);
    EXPECT_EQ(h.PeaksBinned(), 4u);
}

TEST(MassDefectHistogram, AnOddColumnCountMergesExactly) {
    const FunctionFilter none(CMassRangeList{}, 1);
    MassDefectHistogram h(Grid(7, 1, 0.0, 0.0), none);
    std::vector<float> masses;
    for (int i = 0; i < 64; ++i)
        masses.push_back(static_cast<float>(i) + 0.5f);
    h.Add(masses.data(), nullptr, 64);
    const float far = 200.0f;
    h.Add(&far, nullptr, 1);  // [0, 256): columns of 256/7 Da
    for (int c = 0; c < 7; ++c) {
        double expected = 0.0;
        for (float m : masses)
            expected += h.ColumnOf(static_cast<double>(m)) == c ? 1.0 : 0.0;
        expected += h.ColumnOf(200.0) == c ? 1.0 : 0.0;
        EXPECT_EQ(h.Kept(c, 0), expected) << "column " << c;
    }
}

// The filter's own copy is the reference: what it keeps, binned with no rule, must be the
// kept grid; what it keeps and what it drops together must be every peak.
struct SplitCase {
    const char* name;
    std::vector<CMassRange> rules;
};

TEST(MassDefectHistogram, TheKeptSplitIsTheFiltersOutput) {
    const SplitCase cases[] = {
        {"ordinary", {MakeMassRange(1, 200, 800, 0.25, 40, 40)}},
        {"wrapping", {MakeMassRange(1, 0, 1000, 0.98, 50, 50)}},
        {"wrapping below zero", {MakeMassRange(1, 0, 1000, 0.01, 30, 60)}},
        {"wider than 1 Da", {MakeMassRange(1, 0, 1000, 0.5, 800, 800)}},
        {"wider than 2 Da", {MakeMassRange(1, 0, 1000, 0.3, 2100, 1500)}},
        {"defect above 1", {MakeMassRange(1, 100, 900, 1.3, 40, 40)}},
        {"defect below 0", {MakeMassRange(1, 100, 900, -0.2, 60, 60)}},
        {"defect far below 0", {MakeMassRange(1, 100, 900, -2.5, 0, 100)}},
        {"zero window", {MakeMassRange(1, 0, 1000, 0.5, 0, 0)}},
        {"beside another function's rule",
         {MakeMassRange(2, 0, 1000, 0.5, 100, 100), MakeMassRange(1, 0, 1000, 0.1, 10, 10)}},
        {"several",
         {MakeMassRange(1, 100, 400, 0.1, 20, 20), MakeMassRange(1, 300, 700, 0.9, 150, 10),
          MakeMassRange(1, 650, 651, 0.0, 500, 500)}},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<float> mass(0.0f, 1000.0f);
    std::vector<float> masses(5000);
    for (float& m : masses)
        m = mass(random);
    // Masses on and beside the window bounds, where a wrong comparison shows.
    for (int whole : {150, 250, 650, 700}) {
        for (double f : {0.0, 0.01, 0.04, 0.06, 0.1, 0.2, 0.21, 0.25, 0.29, 0.3, 0.5, 0.7, 0.8,
                         0.93, 0.95, 0.99}) {
            const float m = static_cast<float>(whole + f);
            masses.push_back(m);
            masses.push_back(std::nextafter(m, 0.0f));
            masses.push_back(std::nextafter(m, 2000.0f));
        }
    }
    masses.push_back(std::numeric_limits<float>::quiet_NaN());
    const auto n = static_cast<std::uint32_t>(masses.size());
    std::vector<std::uint32_t> intensities(n, 1);
    std::vector<std::uint8_t> bytes(n, 0);

    for (const SplitCase& c : cases) {
        CMassRangeList rules;
        for (const CMassRange& r : c.rules)
            rules.AddEntry(r);
        const FunctionFilter filter(rules, 1);
        const FunctionFilter none(CMassRangeList{}, 1);
        MassDefectHistogram split(Grid(100, 50, 0.0, 1000.0), filter);
        split.Add(masses.data(), nullptr, n);

        std::vector<float> kept(n);
        std::vector<std::uint32_t> keptIntensities(n);
        std::vector<std::uint8_t> keptBytes(n);
        const std::uint32_t k = filter.Apply(n, masses.data(), intensities.data(), bytes.data(),
                                             kept.data(), keptIntensities.data(), keptBytes.data());
        MassDefectHistogram reference(Grid(100, 50, 0.0, 1000.0), none);
        reference.Add(kept.data(), nullptr, k);
        MassDefectHistogram all(Grid(100, 50, 0.0, 1000.0), none);
        all.Add(masses.data(), nullptr, n);

        EXPECT_EQ(split.PeaksKept(), k) << c.name;
        EXPECT_EQ(split.PeaksRead(), n) << c.name;
        for (int col = 0; col < 100; ++col) {
            for (int row = 0; row < 50; ++row) {
                ASSERT_EQ(split.Kept(col, row), reference.Kept(col, row))
                    << c.name << ": cell " << col << "," << row;
                ASSERT_EQ(split.Kept(col, row) + split.Dropped(col, row), all.Kept(col, row))
                    << c.name << ": cell " << col << "," << row;
            }
        }
    }
}

TEST(MassDefectHistogram, AFunctionWithoutRulesKeepsEverything) {
    const FunctionFilter filter(Rules({MakeMassRange(2, 0, 1000, 0.5, 1, 1)}), 1);
    MassDefectHistogram h(Grid(10, 10, 0.0, 1000.0), filter);
    const float masses[] = {100.1f, 200.2f};
    h.Add(masses, nullptr, 2);
    EXPECT_EQ(h.PeaksKept(), 2u);
}

TEST(MassDefectHistogram, TheKendrickViewBinsKendrickDefectsAndKeepsTheFiltersSplit) {
    KendrickBase ch2;
    std::string error;
    ASSERT_TRUE(ParseKendrickBase("CH2", ch2, error));
    const FunctionFilter filter(Rules({MakeMassRange(1, 0, 1000, 0.2, 50, 50)}), 1);
    HistogramSettings grid = Grid(10, 100, 0.0, 1000.0);
    grid.kendrick = &ch2;
    MassDefectHistogram h(grid, filter);
    const float mass = 300.2f;  // kept by the rule; its Kendrick defect is elsewhere
    h.Add(&mass, nullptr, 1);
    const int row = h.RowOf(ch2.KendrickMassDefect(static_cast<double>(mass)));
    EXPECT_NE(row, h.RowOf(MassFraction(static_cast<double>(mass))));
    EXPECT_EQ(h.Kept(3, row), 1.0);
    EXPECT_EQ(h.PeaksKept(), 1u);
}

}  // namespace
