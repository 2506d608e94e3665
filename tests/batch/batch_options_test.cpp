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
    // The empty line of the list names no input (it once became an input that failed).
    EXPECT_EQ(options.inputs, (std::vector<std::string>{"a.raw", "l1.raw", "l 2,x.raw", "b.raw"}));
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

// Regression: a byte-order mark became part of the first rule or path, control bytes went
// through unnamed, and an unreadable file gave no reason.
TEST(BatchOptions, ListAndRulesFilesMustBePlainText) {
    const std::string path = ::testing::TempDir() + "/text_" + std::to_string(getpid()) + ".txt";
    struct Case {
        const char* name;
        std::string rules;                // the --rules file
        std::string list;                 // the --list file
        std::vector<std::string> inputs;  // on success
        const char* mentions;             // on failure
    };
    const std::string rule = "1:250:650:0.19:40:40\n";
    const Case cases[] = {
        {"byte-order marks",
         "\xEF\xBB\xBF" + rule,
         "\xEF\xBB\xBF"
         "a.raw\r\nb.raw\n",
         {"a.raw", "b.raw"},
         ""},
        {"empty lines skipped", rule, "\n\na.raw\n\r\n\nb.raw", {"a.raw", "b.raw"}, ""},
        {"tab in a rule line", "\t" + rule, "a.raw\n", {"a.raw"}, ""},
        {"NUL in the list",
         rule,
         std::string("a.raw\nb\0.raw\n", 12),
         {},
         "list file X, line 2: a control byte 0x00 (NUL) at column 2"},
        {"escape in the rules",
         "1:250:650:0.19:40:40\x1b"
         "\n",
         "a.raw\n",
         {},
         "rules file X, line 1: a control byte 0x1B at column 21"},
        {"bell in the list", rule, "a.r\aw\n", {}, "list file X, line 1: a control byte 0x07"},
        {"DEL in the list",
         rule,
         "a.raw\x7f"
         "\n",
         {},
         "a control byte 0x7F at column 6"},
    };
    const std::string rulesPath = path + ".rules";
    const std::string listPath = path + ".list";
    for (const Case& c : cases) {
        std::ofstream(rulesPath, std::ios::binary) << c.rules;
        std::ofstream(listPath, std::ios::binary) << c.list;
        BatchOptions options;
        std::string error;
        const bool ok =
            ParseBatchOptions({"--rules", rulesPath, "--list", listPath}, options, error);
        if (c.inputs.empty()) {
            EXPECT_FALSE(ok) << c.name;
            std::string expected = c.mentions;
            const std::size_t x = expected.find(" X,");
            if (x != std::string::npos) {
                const bool inRules = expected.rfind("rules file", 0) == 0;
                expected.replace(x + 1, 1, inRules ? rulesPath : listPath);
            }
            EXPECT_NE(error.find(expected), std::string::npos) << c.name << ": " << error;
        } else {
            EXPECT_TRUE(ok) << c.name << ": " << error;
            EXPECT_EQ(options.inputs, c.inputs) << c.name;
            EXPECT_EQ(options.rules.GetCount(), 1) << c.name;
        }
    }
    std::filesystem::remove(rulesPath);
    std::filesystem::remove(listPath);

    for (const char* option : {"--rules", "--list"}) {
        BatchOptions options;
        std::string error;
        EXPECT_FALSE(ParseBatchOptions(
            {"--rule", "1:0:1:0:0:0", option, "/nonexistent/f.txt", "x.raw"}, options, error));
        EXPECT_NE(error.find("/nonexistent/f.txt: No such file or directory"), std::string::npos)
            << error;
        EXPECT_FALSE(
            ParseBatchOptions({"--rule", "1:0:1:0:0:0", option, "/", "x.raw"}, options, error));
        EXPECT_NE(error.find("/: Is a directory"), std::string::npos) << error;
    }
}

TEST(BatchOptions, RulesThatKeepNothingAreAcceptedWithAWarning) {
    struct Case {
        const char* rule;
        bool warned;
    };
    const Case cases[] = {
        {"1:500:100:0.5:10:10", true},
        {"1:300:300:0.5:10:10", true},
        {"1:0:0:0:0:0", true},
        {"1:299:300:0.5:10:10", false},
    };
    for (const Case& c : cases) {
        BatchOptions options;
        std::string error;
        ASSERT_TRUE(ParseBatchOptions({"--rule", "2:0:1000:0.1:5:5", "--rule", c.rule, "x.raw"},
                                      options, error))
            << c.rule << ": " << error;
        const std::vector<std::string> warnings = BatchWarnings(options);
        ASSERT_EQ(warnings.size(), c.warned ? 1u : 0u) << c.rule;
        if (c.warned) {
            EXPECT_NE(warnings[0].find(std::string("rule '") + c.rule + "' keeps nothing"),
                      std::string::npos)
                << warnings[0];
        }
    }
}

// Every option takes its value as "--name value" or "--name=value"; "-j" also as "-jN".
TEST(BatchOptions, EverySpellingOfAValueMeansTheSame) {
    const std::string dir = ::testing::TempDir();
    const std::string rulesPath = dir + "/spelling_rules_" + std::to_string(getpid()) + ".txt";
    const std::string listPath = dir + "/spelling_list_" + std::to_string(getpid()) + ".txt";
    std::ofstream(rulesPath) << "2:0:100:0.5:1:1\n";
    std::ofstream(listPath) << "l.raw\n";
    const std::vector<std::vector<std::string>> spellings = {
        {"--suffix", "_F", "--rule", "1:0:100:0.1:10:10", "--rules", rulesPath, "--list", listPath,
         "-j", "4", "a.raw"},
        {"--suffix=_F", "--rule=1:0:100:0.1:10:10", "--rules=" + rulesPath, "--list=" + listPath,
         "-j4", "a.raw"},
        {"a.raw", "-j", "2", "--suffix", "_X", "-j4", "--suffix=_F", "--rule", "1:0:100:0.1:10:10",
         "--rules", rulesPath, "--list", listPath},
    };
    for (const std::vector<std::string>& args : spellings) {
        BatchOptions options;
        std::string error;
        ASSERT_TRUE(ParseBatchOptions(args, options, error)) << args[0] << ": " << error;
        EXPECT_EQ(options.suffix, "_F") << args[0];
        EXPECT_EQ(options.jobs, 4u) << args[0];
        EXPECT_EQ(options.rules.GetCount(), 2) << args[0];
        params::CMassRange first;
        options.rules.GetEntry(0, first);
        EXPECT_EQ(first.GetFunction(), 1) << args[0];
        EXPECT_EQ(options.inputs.size(), 2u) << args[0];
    }
    std::filesystem::remove(rulesPath);
    std::filesystem::remove(listPath);
}

TEST(BatchOptions, InputsAfterDoubleDashAndEmptyInlineValues) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::vector<std::string> inputs;
        const char* suffix;
    };
    const std::string rule = "--rule=1:0:100:0.1:10:10";
    const Case cases[] = {
        {"dash inputs after --", {rule, "--", "-a.raw", "--quiet"}, {"-a.raw", "--quiet"}, "_BRV"},
        {"a lone dash is an input", {rule, "-"}, {"-"}, "_BRV"},
        {"empty inline suffix", {rule, "--suffix=", "a.raw"}, {"a.raw"}, ""},
        {"inline value is not the next argument", {"--suffix=", rule, "a.raw"}, {"a.raw"}, ""},
    };
    for (const Case& c : cases) {
        BatchOptions options;
        std::string error;
        ASSERT_TRUE(ParseBatchOptions(c.args, options, error)) << c.name << ": " << error;
        EXPECT_EQ(options.inputs, c.inputs) << c.name;
        EXPECT_EQ(options.suffix, c.suffix) << c.name;
        EXPECT_FALSE(options.quiet) << c.name;
    }
}

TEST(BatchOptions, HelpAndVersionNeedNothingElse) {
    for (const char* arg : {"--help", "-h", "--version"}) {
        BatchOptions options;
        std::string error;
        ASSERT_TRUE(ParseBatchOptions({arg}, options, error)) << arg << ": " << error;
        EXPECT_EQ(options.help || options.version, true) << arg;
        EXPECT_EQ(options.version, std::string(arg) == "--version") << arg;
    }
    EXPECT_NE(BatchHelp().find("--ignore-checksums"), std::string::npos);
}

TEST(BatchOptions, SwitchesTakeNoValue) {
    for (const char* arg : {"--quiet=1", "--keep-going=0", "--ignore-checksums=yes"}) {
        BatchOptions options;
        std::string error;
        EXPECT_FALSE(ParseBatchOptions({"--rule", "1:0:1:0:0:0", arg, "x.raw"}, options, error))
            << arg;
        EXPECT_EQ(error, std::string("unknown option ") + arg);
    }
}

}  // namespace
