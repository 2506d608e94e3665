#include <gtest/gtest.h>
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "tools/common/cli_support.h"
#include "tools/common/exit_codes.h"
#include "tools/common/tool_version.h"

namespace {

using Args = std::vector<std::string>;

TEST(SeparateEmptyInlineValues, GivesAnEmptyValueItsOwnArgument) {
    struct Case {
        const char* name;
        Args in;
        Args out;
    };
    const Case cases[] = {
        {"empty inline value", {"--suffix=", "a"}, {"--suffix", "", "a"}},
        {"inline value kept", {"--suffix=x"}, {"--suffix=x"}},
        {"equals inside the value", {"--rule=a=", "b"}, {"--rule=a=", "b"}},
        {"bare double dash", {"--", "--x="}, {"--", "--x="}},
        {"after double dash", {"a", "--", "--suffix="}, {"a", "--", "--suffix="}},
        {"single dash", {"-j="}, {"-j="}},
        {"no name", {"--="}, {"--="}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SeparateEmptyInlineValues(c.in), c.out) << c.name;
    }
}

TEST(FindSwitchWithValue, NamesOnlyASwitchGivenAValue) {
    CLI::App app;
    app.add_flag("--quiet");
    app.add_option("--suffix");
    struct Case {
        Args args;
        const char* found;
    };
    const Case cases[] = {
        {{"--quiet"}, ""},
        {{"--suffix=a=b", "--quiet"}, ""},
        {{"a", "--quiet=1"}, "--quiet=1"},
        {{"--quiet="}, "--quiet="},
        {{"--", "--quiet=1"}, ""},
        {{"--unknown=1"}, ""},
        {{"--suffix", "--quiet=1"}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindSwitchWithValue(app, c.args), c.found) << c.args.back();
    }
}

TEST(DescribeParseError, AMissingValueIsSaidPlainly) {
    CLI::App app;
    app.add_option("--rule");
    try {
        ParseInOrder(app, {"--rule"});
        FAIL() << "a missing value was accepted";
    } catch (const CLI::ParseError& e) {
        EXPECT_EQ(DescribeParseError(e), "option --rule needs a value");
    }
}

TEST(ParseInOrder, KeepsTheOrderAndEmptyValues) {
    CLI::App app;
    std::string suffix = "_BRV";
    std::vector<std::string> inputs;
    app.add_option("--suffix", suffix);
    app.add_option("INPUT", inputs);
    ParseInOrder(app, {"a", "--suffix=", "b", "--", "-c"});
    EXPECT_EQ(suffix, "");
    EXPECT_EQ(inputs, (Args{"a", "b", "-c"}));
}

TEST(ParseInOrder, AnOptionTakesTheNextArgumentWhateverItLooksLike) {
    struct Case {
        Args args;
        const char* suffix;
        const char* jobs;
        Args inputs;
    };
    const Case cases[] = {
        {{"--suffix", "-old", "a"}, "-old", "", {"a"}},
        {{"--suffix", "--", "a"}, "--", "", {"a"}},
        {{"--suffix", "--quiet", "a"}, "--quiet", "", {"a"}},
        {{"-j", "-1", "a"}, "_BRV", "-1", {"a"}},
        {{"-j", "2", "--suffix", "", "a"}, "", "2", {"a"}},
        {{"--", "--suffix", "x"}, "_BRV", "", {"--suffix", "x"}},
    };
    for (const Case& c : cases) {
        CLI::App app;
        std::string suffix = "_BRV";
        std::string jobs;
        std::vector<std::string> inputs;
        app.add_option("--suffix", suffix);
        app.add_option("-j", jobs);
        app.add_flag("--quiet");
        app.add_option("INPUT", inputs);
        ParseInOrder(app, c.args);
        EXPECT_EQ(suffix, c.suffix) << c.args[1];
        EXPECT_EQ(jobs, c.jobs) << c.args[1];
        EXPECT_EQ(inputs, c.inputs) << c.args[1];
        EXPECT_EQ(FindSwitchWithValue(app, c.args), "") << c.args[1];
    }
}

TEST(ExitStatus, EveryStatusHasItsOwnSentence) {
    EXPECT_EQ(kExitOk, 0);
    EXPECT_EQ(kExitInputFailed, 1);
    EXPECT_EQ(kExitUsage, 2);
    const std::string help = ExitStatusHelp();
    for (const char* meaning : {"0 done", "1 an input failed", "2 usage error"}) {
        EXPECT_NE(help.find(meaning), std::string::npos) << help;
    }
}

TEST(VersionText, IsTheProgramAndTheProjectVersion) {
    EXPECT_EQ(VersionText("brevanto-plot"),
              std::string("brevanto-plot ") + BREVANTO_PROJECT_VERSION);
}

}  // namespace
