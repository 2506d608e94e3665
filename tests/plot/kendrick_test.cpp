#include "plot/kendrick.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct FormulaCase {
    const char* formula;
    double exactMass;
    long nominalMass;
};

TEST(KendrickBase, FormulasGiveTheirMonoisotopicAndNominalMasses) {
    const FormulaCase cases[] = {
        {"CH2", 14.01565006414, 14}, {"C2H4O", 44.02621475, 44},     {"CF2", 49.99681, 50},
        {"H2O", 18.0105646837, 18},  {"CH2CH2", 28.03130012828, 28},  // an element may come back
        {"C2H3Cl", 61.99232, 62},    {"SiO2", 59.96675, 60},         {"PO3", 78.95850, 79},
        {"CH3Br", 93.94181, 94},     {"NH3S", 48.99862, 49},
    };
    for (const FormulaCase& c : cases) {
        plot::KendrickBase base;
        std::string error;
        ASSERT_TRUE(plot::ParseKendrickBase(c.formula, base, error)) << c.formula << ": " << error;
        EXPECT_NEAR(base.exactMass, c.exactMass, 1e-4) << c.formula;
        EXPECT_EQ(base.nominalMass, c.nominalMass) << c.formula;
        EXPECT_EQ(base.formula, c.formula);
    }
}

TEST(KendrickBase, BadFormulasAreRefusedSayingWhere) {
    const struct {
        const char* formula;
        const char* says;
    } cases[] = {
        {"", "empty"},
        {"CX2", "unknown element \"X\" at character 2"},
        {"ch2", "expected an element symbol at character 1"},
        {"C0", "count of \"C\" is 0"},
        {"C2H4 O", "expected an element symbol at character 5"},
        {"C100000", "above 9999"},
        {"2CH2", "character 1"},
        {"Zn", "unknown element \"Zn\""},
    };
    for (const auto& c : cases) {
        plot::KendrickBase base;
        std::string error;
        EXPECT_FALSE(plot::ParseKendrickBase(c.formula, base, error)) << c.formula;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.formula << ": " << error;
    }
}

TEST(KendrickBase, AHomologousSeriesSharesOneKendrickMassDefect) {
    plot::KendrickBase ch2;
    std::string error;
    ASSERT_TRUE(plot::ParseKendrickBase("CH2", ch2, error));
    // Alkanes CnH2n+2: each member is one CH2 heavier than the last.
    const double first = 3 * 12.0 + 8 * 1.00782503207;
    const double defect = ch2.KendrickMassDefect(first);
    for (int n = 4; n <= 40; ++n) {
        const double mass = n * 12.0 + (2 * n + 2) * 1.00782503207;
        EXPECT_NEAR(ch2.KendrickMassDefect(mass), defect, 1e-9) << "C" << n;
        // Their plain mass defects drift apart by 15.65 mDa a unit.
        EXPECT_GT(std::fabs((mass - std::floor(mass)) - (first - std::floor(first))), 0.01)
            << "C" << n;
    }
    EXPECT_GE(defect, 0.0);
    EXPECT_LT(defect, 1.0);
    EXPECT_DOUBLE_EQ(ch2.KendrickMass(ch2.exactMass), 14.0);
}

}  // namespace
