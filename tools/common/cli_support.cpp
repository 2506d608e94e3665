#include "tools/common/cli_support.h"

#include <CLI/CLI.hpp>

std::vector<std::string> SeparateEmptyInlineValues(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    out.reserve(args.size());
    bool positionalOnly = false;  // after "--" nothing is an option
    for (const std::string& arg : args) {
        if (!positionalOnly && arg.size() > 3 && arg.starts_with("--") && arg.back() == '=' &&
            arg.find('=') == arg.size() - 1) {
            out.push_back(arg.substr(0, arg.size() - 1));
            out.emplace_back();
            continue;
        }
        positionalOnly = positionalOnly || arg == "--";
        out.push_back(arg);
    }
    return out;
}

std::string FindSwitchWithValue(const CLI::App& app, const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        const std::size_t equals = arg.find('=');
        if (!arg.starts_with("--") || equals == std::string::npos) {
            continue;
        }
        const CLI::Option* option = app.get_option_no_throw(arg.substr(0, equals));
        if (option != nullptr && option->get_expected_max() == 0) {
            return arg;
        }
    }
    return {};
}

std::string DescribeParseError(const CLI::ParseError& error) {
    // The parser says "--name: 1 required TYPE missing" for an option without its value.
    const std::string text = error.what();
    const std::size_t colon = text.find(": ");
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr &&
        colon != std::string::npos && text.ends_with(" missing")) {
        return "option " + text.substr(0, colon) + " needs a value";
    }
    return text;
}

void ParseInOrder(CLI::App& app, const std::vector<std::string>& args) {
    // The parser takes its arguments last first.
    std::vector<std::string> reversed = SeparateEmptyInlineValues(args);
    std::reverse(reversed.begin(), reversed.end());
    app.parse(reversed);
}
