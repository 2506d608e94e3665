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

namespace {

// An option that needs a value takes the next argument whatever it looks like, as getopt
// does: "--suffix -old" or "-j -1" (refused later for what it says, not as a missing value).
// The parser alone would take "-old" for an option.
std::vector<std::string> AttachValues(const CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> out;
    out.reserve(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        out.push_back(arg);
        const bool named = arg.size() > 1 && arg[0] == '-' && arg.find('=') == std::string::npos;
        const CLI::Option* option = named ? app.get_option_no_throw(arg) : nullptr;
        if (option == nullptr || option->get_expected_min() < 1 || i + 1 == args.size() ||
            args[i + 1].empty()) {
            continue;
        }
        const std::string& value = args[++i];
        out.back() += arg.starts_with("--") ? "=" + value : value;
    }
    return out;
}

}  // namespace

std::string FindSwitchWithValue(const CLI::App& app, const std::vector<std::string>& args) {
    for (const std::string& arg : AttachValues(app, args)) {
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

void ParseInOrder(CLI::App& app, const std::vector<std::string>& args) {
    // The parser takes its arguments last first.
    std::vector<std::string> reversed = SeparateEmptyInlineValues(AttachValues(app, args));
    std::reverse(reversed.begin(), reversed.end());
    app.parse(reversed);
}
