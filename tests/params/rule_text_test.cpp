#include <gtest/gtest.h>

#include "params/rule_text.h"

namespace {

TEST(RuleText, ParsesTheLimitsAndRefusesBeyond) {
    struct Case {
        std::string text;
        bool ok;
        const char* errorMentions;
    };
    const Case cases[] = {
        {"1:300:500:0.1234:40:40", true, ""},
        {"0:0:0:0:0:0", true, ""},
        {"1000:150000:150000:-3.5:150000:150000", true, ""},
        {"1:500:100:1.5:0:0", true, ""},  // low above high is a rule like any other
        {"1001:0:0:0:0:0", false, "function"},
        {"-1:0:0:0:0:0", false, "function"},
        {"1:150001:0:0:0:0", false, "low mass"},
        {"1:0:150001:0:0:0", false, "high mass"},
        {"1:0:0:0:150001:0", false, "window above"},
        {"1:0:0:0:0:150001", false, "window below"},
        {"1:0:0:0:0:99999999999999999999", false, "window below"},
        {"1:0:0::0:0", false, "mass defect"},
        {"1:0:0:abc:0:0", false, "mass defect"},
        {"1:0:0:0.5x:0:0", false, "mass defect"},
        {"1:0:0:nan:0:0", false, "finite"},
        {"1:0:0:inf:0:0", false, "finite"},
        {"1:0:0:0:0", false, "6 fields"},
        {"1:0:0:0:0:0:0", false, "6 fields"},
        {"1: 0:0:0:0:0", false, "low mass"},
        {"1:+5:0:0:0:0", false, "low mass"},
        {"", false, "6 fields"},
    };
    for (const Case& c : cases) {
        params::CMassRange rule;
        rule.SetFunction(77);
        std::string error;
        EXPECT_EQ(params::ParseRule(c.text, rule, error), c.ok) << c.text;
        if (c.ok) {
            params::CMassRange again;
            ASSERT_TRUE(params::ParseRule(params::FormatRule(rule), again, error))
                << params::FormatRule(rule);
            EXPECT_EQ(again, rule) << c.text;
        } else {
            EXPECT_EQ(rule.GetFunction(), 77) << "untouched on failure: " << c.text;
            EXPECT_NE(error.find(c.errorMentions), std::string::npos) << c.text << ": " << error;
        }
    }
    params::CMassRange rule;
    std::string error;
    ASSERT_TRUE(params::ParseRule("2:300:500:0.1234:40:35", rule, error));
    EXPECT_EQ(rule.GetFunction(), 2);
    EXPECT_EQ(rule.GetLowMass(), 300u);
    EXPECT_EQ(rule.GetHighMass(), 500u);
    EXPECT_EQ(rule.GetMassDefect(), 0.1234);
    EXPECT_EQ(rule.GetWindowAbove(), 40u);
    EXPECT_EQ(rule.GetWindowBelow(), 35u);
}

}  // namespace
