#include "tools/raw/command_line.h"

#include <CLI/CLI.hpp>

#include <charconv>

#include "tools/common/cli_support.h"

namespace {

std::string WrongPathCount(const OptionNames& names, const std::vector<std::string>& paths) {
    if (paths.size() > names.paths) {
        return "unexpected argument '" + paths[names.paths] + "'";
    }
    return names.paths == 1 ? "missing the path of the .raw file"
                            : "needs " + std::to_string(names.paths) + " paths, an input and an " +
                                  "output, not " + std::to_string(paths.size());
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string_view>& args, const OptionNames& names,
                      CommandLine& out, std::string& error) {
    CLI::App app{std::string(names.description), std::string(names.command)};
    app.allow_extras();  // named below, in this tool's words
    app.set_help_flag("-h,--help", "Print this help and exit");
    std::map<std::string_view, CLI::Option*> valueOptions;
    std::map<std::string_view, CLI::Option*> switchOptions;
    const auto meaning = [&](std::string_view name) {
        const auto found = names.meanings.find(name);
        return found == names.meanings.end() ? std::string() : std::string(found->second);
    };
    for (const std::string_view name : names.withValue) {
        // Every occurrence is kept so that a repeated option is refused, not silently merged.
        valueOptions[name] = app.add_option("--" + std::string(name))
                                 ->description(meaning(name))
                                 ->type_name("N")
                                 ->allow_extra_args(false)
                                 ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    }
    for (const std::string_view name : names.switches) {
        switchOptions[name] = app.add_flag("--" + std::string(name))->description(meaning(name));
    }
    app.add_option("PATH", out.paths, names.paths == 1 ? "The raw data file" : "Input, output")
        ->type_name("FILE");
    const std::vector<std::string> text(args.begin(), args.end());
    try {
        ParseInOrder(app, text);
    } catch (const CLI::CallForHelp&) {
        out.help = true;
        out.helpText = app.help();
        return true;
    } catch (const CLI::ParseError& e) {
        error = DescribeParseError(e);
        return false;
    }
    if (const std::string arg = FindSwitchWithValue(app, text); !arg.empty()) {
        error = "unknown option '" + arg + "'";
        return false;
    }
    for (const std::string& extra : app.remaining()) {
        if (extra != "--") {
            error = extra.starts_with("-") ? "unknown option '" + extra + "'"
                                           : "unexpected argument '" + extra + "'";
            return false;
        }
    }
    for (const auto& [name, option] : valueOptions) {
        if (option->count() > 1) {
            error = "option --" + std::string(name) + " given twice";
            return false;
        }
        if (option->count() == 1) {
            out.values.emplace(std::string(name), option->results().front());
        }
    }
    for (const auto& [name, option] : switchOptions) {
        if (option->count() > 1) {
            error = "option --" + std::string(name) + " given twice";
            return false;
        }
        if (option->count() == 1) {
            out.switches.emplace(name);
        }
    }
    if (out.paths.size() != names.paths) {
        error = WrongPathCount(names, out.paths);
        return false;
    }
    out.path = out.paths.empty() ? std::string() : out.paths.front();
    return true;
}

bool ReadNumberOption(const CommandLine& line, std::string_view name, std::uint64_t max,
                      std::uint64_t& value, std::string& error) {
    const auto found = line.values.find(name);
    if (found == line.values.end()) {
        return true;
    }
    const std::string& text = found->second;
    std::uint64_t parsed = 0;
    const auto [end, result] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || result != std::errc() || end != text.data() + text.size() || parsed > max) {
        error = "option --" + std::string(name) + " needs a whole number from 0 to " +
                std::to_string(max) + ", not '" + text + "'";
        return false;
    }
    value = parsed;
    return true;
}
