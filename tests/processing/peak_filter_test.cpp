#include <gtest/gtest.h>

#include "params/mass_range.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "processing/peak_filter.h"

using params::CMassRange;
using params::CMassRangeList;
using params::MakeMassRange;
using processing::FilterPeaks;
using processing::MassFraction;

namespace {

// The walk exactly as the filter is defined: every rule fetched by copy for every peak, bounds
// recomputed each time, the fraction through a 32-bit integer. Only valid for masses in
// [0, 2^31), where that conversion is defined.
bool ReferenceKeeps(std::int32_t j, const CMassRangeList& rules, float mass) {
    const double m = mass;
    for (std::int32_t r = 0; r < rules.GetCount(); ++r) {
        CMassRange rule;
        rules.GetEntry(r, rule);
        if (rule.GetFunction() != j)
            continue;
        if (rule.GetLowMass() > m)
            continue;
        if (m >= rule.GetHighMass())
            continue;
        double lower = rule.GetMassDefect() - (rule.GetWindowBelow() * 0.001);
        if (lower < 0.0)
            lower = lower + 1.0;
        double upper = rule.GetMassDefect() + (rule.GetWindowAbove() * 0.001);
        if (upper - 1.0 > 0.0)
            upper = upper - 1.0;
        const std::int32_t t = static_cast<std::int32_t>(m);
        const double f = m - t;
        const bool keep = lower <= upper ? (lower < f && f < upper) : (f > lower || f < upper);
        if (keep)
            return true;
    }
    return false;
}

struct Scan {
    std::vector<float> masses;
    std::vector<std::uint32_t> intensities;
    std::vector<std::uint8_t> bytes;
};

Scan Filtered(std::int32_t j, const CMassRangeList& rules, const Scan& in) {
    const auto n = static_cast<std::uint32_t>(in.masses.size());
    Scan out{std::vector<float>(n), std::vector<std::uint32_t>(n), std::vector<std::uint8_t>(n)};
    const std::uint32_t k =
        FilterPeaks(j, rules, n, in.masses.data(), in.intensities.data(), in.bytes.data(),
                    out.masses.data(), out.intensities.data(), out.bytes.data());
    EXPECT_LE(k, n);
    out.masses.resize(k);
    out.intensities.resize(k);
    out.bytes.resize(k);
    return out;
}

bool KeepsOne(const CMassRangeList& rules, float mass, std::int32_t j = 1) {
    const Scan in{{mass}, {7}, {3}};
    return Filtered(j, rules, in).masses.size() == 1;
}

struct WindowCase {
    const char* what;
    double defect;
    std::uint32_t above;
    std::uint32_t below;
    float mass;
    bool kept;
};

TEST(FilterPeaks, WindowRules) {
    const WindowCase cases[] = {
        {"f equal to an exact lower bound is dropped", 0.25, 10, 0, 500.25f, false},
        {"just inside an ordinary window", 0.25, 10, 0, 500.255f, true},
        {"upper bound landing exactly on f", 0.2, 50, 0, 500.25f, false},
        {"lower bound landing exactly on f", 0.3, 0, 50, 500.25f, false},
        {"zero-width window keeps nothing", 0.25, 0, 0, 500.25f, false},
        {"lower of exactly 0 is not corrected", 0.0, 10, 0, 500.0f, false},
        {"window crossing 0 keeps f = 0", 0.0, 10, 10, 500.0f, true},
        {"window crossing 0 keeps f above 0.99", 0.0, 10, 10, 500.995f, true},
        {"window crossing 0 drops f = 0.5", 0.0, 10, 10, 500.5f, false},
        {"window crossing 1 keeps f above 0.97", 0.99, 20, 20, 500.98f, true},
        {"window crossing 1 keeps f below 0.01", 0.99, 20, 20, 500.005f, true},
        {"window crossing 1 drops f = 0.5", 0.99, 20, 20, 500.5f, false},
        {"window wider than 1 Da keeps f above 0.9", 0.5, 600, 600, 500.95f, true},
        {"window wider than 1 Da keeps f below 0.1", 0.5, 600, 600, 500.05f, true},
        {"window wider than 1 Da drops f = 0.5", 0.5, 600, 600, 500.5f, false},
        {"one correction only: f above 0.5 kept", 0.5, 2000, 0, 500.75f, true},
        {"one correction only: f = 0.5 dropped", 0.5, 2000, 0, 500.5f, false},
        {"defect 1.3 wraps and keeps f below 0.4", 1.3, 100, 100, 500.25f, true},
        {"defect 1.3 drops f = 0.5", 1.3, 100, 100, 500.5f, false},
        {"defect 1.3 drops f above 1.2 (there is none)", 1.3, 100, 100, 500.9f, false},
        {"lower still negative after one correction wraps, keeps all", -1.5, 100, 0, 500.25f, true},
        {"negative defect with a window reaching up", -0.2, 500, 0, 500.25f, true},
    };
    for (const WindowCase& c : cases) {
        CMassRangeList rules;
        rules.AddEntry(MakeMassRange(1, 0, 1000, c.defect, c.above, c.below));
        EXPECT_EQ(KeepsOne(rules, c.mass), c.kept) << c.what;
        EXPECT_EQ(ReferenceKeeps(1, rules, c.mass), c.kept) << "reference: " << c.what;
    }
}

TEST(FilterPeaks, MassRangeAndFunction) {
    struct Case {
        const char* what;
        CMassRange rule;
        float mass;
        std::int32_t function;
        bool kept;
    };
    const Case cases[] = {
        {"mass equal to lowMass is tested", MakeMassRange(1, 500, 600, 0.0, 10, 10), 500.0f, 1,
         true},
        {"mass equal to highMass is dropped", MakeMassRange(1, 400, 500, 0.0, 10, 10), 500.0f, 1,
         false},
        {"mass below lowMass", MakeMassRange(1, 501, 600, 0.0, 10, 10), 500.0f, 1, false},
        {"empty range low = high", MakeMassRange(1, 500, 500, 0.0, 10, 10), 500.0f, 1, false},
        {"inverted range", MakeMassRange(1, 600, 400, 0.0, 10, 10), 500.0f, 1, false},
        {"rule of another function", MakeMassRange(2, 0, 1000, 0.0, 10, 10), 500.0f, 1, false},
        {"rule for function 0", MakeMassRange(0, 0, 1000, 0.0, 10, 10), 500.0f, 1, false},
        {"rule for function 0 applies to 0", MakeMassRange(0, 0, 1000, 0.0, 10, 10), 500.0f, 0,
         true},
    };
    for (const Case& c : cases) {
        CMassRangeList rules;
        rules.AddEntry(c.rule);
        EXPECT_EQ(KeepsOne(rules, c.mass, c.function), c.kept) << c.what;
    }
}

TEST(FilterPeaks, OverlappingRulesAddUpWhateverTheOrder) {
    const CMassRange narrowLow = MakeMassRange(3, 100, 700, 0.1, 10, 10);
    const CMassRange narrowHigh = MakeMassRange(3, 400, 900, 0.6, 10, 10);
    const float masses[] = {450.1f, 450.6f, 450.35f, 150.6f, 850.1f};
    const bool kept[] = {true, true, false, false, false};
    for (int order = 0; order < 2; ++order) {
        CMassRangeList rules;
        rules.AddEntry(order == 0 ? narrowLow : narrowHigh);
        rules.AddEntry(order == 0 ? narrowHigh : narrowLow);
        for (std::size_t i = 0; i < std::size(masses); ++i) {
            EXPECT_EQ(KeepsOne(rules, masses[i], 3), kept[i]) << masses[i] << " order " << order;
        }
    }
}

TEST(FilterPeaks, CopiesKeptPeaksBitForBitInOrder) {
    CMassRangeList rules;
    rules.AddEntry(
        MakeMassRange(1, 0, 100000, 0.0, 100, 100));  // keeps fractions below 0.1 or above 0.9
    Scan in;
    const float masses[] = {100.05f, 100.5f, 200.95f, 300.02f, 300.6f};
    for (std::size_t i = 0; i < std::size(masses); ++i) {
        in.masses.push_back(masses[i]);
        in.intensities.push_back(0xFFC00001u + static_cast<std::uint32_t>(i));  // NaN patterns
        in.bytes.push_back(static_cast<std::uint8_t>(250 + i));
    }
    const Scan out = Filtered(1, rules, in);
    ASSERT_EQ(out.masses.size(), 3u);
    const std::size_t keptIndex[] = {0, 2, 3};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(out.masses[i]),
                  std::bit_cast<std::uint32_t>(in.masses[keptIndex[i]]));
        EXPECT_EQ(out.intensities[i], in.intensities[keptIndex[i]]);
        EXPECT_EQ(out.bytes[i], in.bytes[keptIndex[i]]);
    }
    EXPECT_TRUE(Filtered(1, rules, Scan{}).masses.empty());
}

// Masses the fraction arithmetic was never meant for must get a defined outcome, never
// undefined behaviour (the sanitizer build runs this too).
TEST(FilterPeaks, MassesOutsideTheUsualRange) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float largestBelow2p31 = std::nextafter(2147483648.0f, 0.0f);
    struct Case {
        const char* what;
        float mass;
        CMassRange rule;
        bool kept;
    };
    const Case cases[] = {
        {"NaN with a range that takes everything", nan,
         MakeMassRange(1, 0, 0xFFFFFFFFu, 0.5, 600, 600), false},
        {"NaN with a wrapping window", nan, MakeMassRange(1, 0, 0xFFFFFFFFu, 0.0, 10, 10), false},
        {"+inf", inf, MakeMassRange(1, 0, 0xFFFFFFFFu, 0.0, 10, 10), false},
        {"-inf", -inf, MakeMassRange(1, 0, 0xFFFFFFFFu, 0.0, 10, 10), false},
        {"negative mass", -5.05f, MakeMassRange(1, 0, 100, 0.0, 100, 100), false},
        {"negative zero has fraction 0", -0.0f, MakeMassRange(1, 0, 100, 0.0, 10, 10), true},
        {"2^31 has fraction 0", 2147483648.0f, MakeMassRange(1, 0, 0xFFFFFFFFu, 0.0, 10, 10), true},
        {"2^31 outside an ordinary window", 2147483648.0f,
         MakeMassRange(1, 0, 0xFFFFFFFFu, 0.5, 10, 10), false},
        {"4e9 has fraction 0", 4.0e9f, MakeMassRange(1, 0, 0xFFFFFFFFu, 0.0, 10, 10), true},
        {"largest float below 2^31", largestBelow2p31,
         MakeMassRange(1, 0, 0xFFFFFFFFu, 0.0, 10, 10), true},
    };
    for (const Case& c : cases) {
        CMassRangeList rules;
        rules.AddEntry(c.rule);
        EXPECT_EQ(KeepsOne(rules, c.mass), c.kept) << c.what;
    }
    EXPECT_TRUE(std::isnan(MassFraction(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(MassFraction(std::numeric_limits<double>::infinity())));
    EXPECT_EQ(MassFraction(-2.5), -0.5);
    EXPECT_EQ(MassFraction(1e300), 0.0);
}

// The precomputed walk against the literal one on many random scans and rule sets.
TEST(FilterPeaks, FastPathMatchesLiteralWalk) {
    std::mt19937_64 rng(20261208);
    auto pick = [&](std::uint32_t lo, std::uint32_t hi) {
        return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng);
    };
    for (int trial = 0; trial < 400; ++trial) {
        CMassRangeList rules;
        const std::uint32_t ruleCount = pick(0, 6);
        for (std::uint32_t r = 0; r < ruleCount; ++r) {
            const std::uint32_t low = pick(0, 1) ? pick(0, 1200) : pick(0, 150000);
            const std::uint32_t high = pick(0, 3) == 0 ? low : pick(0, 1500);  // some empty
            double defect = std::uniform_real_distribution<double>(-1.5, 2.5)(rng);
            if (pick(0, 3) == 0)
                defect = std::round(defect * 100.0) / 100.0;  // exact-ish bounds
            const std::uint32_t above = pick(0, 4) == 0 ? 0
                                        : pick(0, 2)    ? pick(0, 100)
                                                        : pick(0, 3000);
            const std::uint32_t below = pick(0, 4) == 0 ? 0
                                        : pick(0, 2)    ? pick(0, 100)
                                                        : pick(0, 3000);
            rules.AddEntry(MakeMassRange(static_cast<std::int32_t>(pick(0, 3)), low, high, defect,
                                         above, below));
        }
        const std::int32_t j = static_cast<std::int32_t>(pick(1, 3));
        Scan in;
        const std::uint32_t n = pick(0, 300);
        for (std::uint32_t p = 0; p < n; ++p) {
            float m;
            switch (pick(0, 5)) {
                case 0:
                    m = static_cast<float>(pick(0, 1500)) +
                        static_cast<float>(pick(0, 100)) / 100.0f;
                    break;
                case 1:
                    m = static_cast<float>(pick(0, 1500));
                    break;
                case 2:
                    m = std::nextafter(2147483648.0f, 0.0f);
                    break;
                default:
                    m = std::uniform_real_distribution<float>(0.0f, 1600.0f)(rng);
                    break;
            }
            in.masses.push_back(m);
            in.intensities.push_back(static_cast<std::uint32_t>(rng()));
            in.bytes.push_back(static_cast<std::uint8_t>(rng()));
        }
        Scan expected;
        for (std::uint32_t p = 0; p < n; ++p) {
            if (ReferenceKeeps(j, rules, in.masses[p])) {
                expected.masses.push_back(in.masses[p]);
                expected.intensities.push_back(in.intensities[p]);
                expected.bytes.push_back(in.bytes[p]);
            }
        }
        const Scan out = Filtered(j, rules, in);
        ASSERT_EQ(out.masses.size(), expected.masses.size()) << "trial " << trial;
        for (std::size_t i = 0; i < out.masses.size(); ++i) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(out.masses[i]),
                      std::bit_cast<std::uint32_t>(expected.masses[i]))
                << "trial " << trial << " peak " << i;
            ASSERT_EQ(out.intensities[i], expected.intensities[i]);
            ASSERT_EQ(out.bytes[i], expected.bytes[i]);
        }
    }
}

}  // namespace
