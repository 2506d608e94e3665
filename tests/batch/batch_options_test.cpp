#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tools/batch/batch_options.h"

namespace {

TEST(BatchOptions, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"x.raw"}, "no rule"},
        {{"--rule", "1:0:100:0.1:10:10"}, "no input"},
        {{"--rule", "1:0:100:0.1:10", "x.raw"}, "rule '1:0:100:0.1:10'"},
        {{"--rule", "1:0:150001:0.1:10:10", "x.raw"}, "high mass"},
        {{"--rule"}, "--rule needs a value"},
        {{"--rule", "1:0:100:0.1:10:10", "-j", "0", "x.raw"}, "-j"},
        {{"--rule", "1:0:100:0.1:10:10", "-j", "many", "x.raw"}, "-j"},
        {{"--rule", "1:0:100:0.1:10:10", "--bogus", "x.raw"}, "unknown option --bogus"},
        {{"--rules", "/nonexistent/rules.txt", "x.raw"}, "cannot read the rules file"},
        {{"--rule", "1:0:100:0.1:10:10", "--list", "/nonexistent/list.txt"},
         "cannot read the list file"},
    };
    for (const Case& c : cases) {
        BatchOptions options;
        std::string error;
        EXPECT_FALSE(ParseBatchOptions(c.args, options, error)) << c.mentions;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.mentions << ": " << error;
    }
}

TEST(BatchOptions, RulesFilesListsAndOrder) {
    const std::string dir = ::testing::TempDir();
    const std::string rulesPath = dir + "/rules_" + std::to_string(getpid()) + ".txt";
    const std::string listPath = dir + "/list_" + std::to_string(getpid()) + ".txt";
    std::ofstream(rulesPath) << "# drug window\n\n  1:250:650:0.19:40:40  \r\n2:0:100:0.5:1:1";
    std::ofstream(listPath, std::ios::binary) << "l1.raw\r\n\nl 2,x.raw\n";
    BatchOptions options;
    std::string error;
    ASSERT_TRUE(ParseBatchOptions({"a.raw", "--rules", rulesPath, "--list", listPath, "-j3",
                                   "--suffix", "", "--keep-going", "--quiet", "b.raw"},
                                  options, error))
        << error;
    EXPECT_EQ(options.rules.GetCount(), 2);
    EXPECT_EQ(options.inputs, (std::vector<std::string>{"a.raw", "l1.raw", "", "l 2,x.raw", "b.raw"}));
    EXPECT_EQ(options.jobs, 3u);
    EXPECT_EQ(options.suffix, "");
    EXPECT_TRUE(options.keepGoing);
    EXPECT_TRUE(options.quiet);

    std::ofstream(rulesPath) << "1:0:100:0.1:10:10\nnot a rule\n";
    BatchOptions bad;
    EXPECT_FALSE(ParseBatchOptions({"--rules", rulesPath, "x.raw"}, bad, error));
    EXPECT_NE(error.find(rulesPath + ":2: rule 'not a rule'"), std::string::npos) << error;
    std::filesystem::remove(rulesPath);
    std::filesystem::remove(listPath);
}

}  // namespace
