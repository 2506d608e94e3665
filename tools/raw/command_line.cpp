#include "tools/raw/command_line.h"

#include <algorithm>
#include <charconv>

namespace {

bool Contains(const std::vector<std::string_view>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string_view>& args, const OptionNames& names,
                      CommandLine& out, std::string& error) {
    bool havePath = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!arg.starts_with("--")) {
            if (havePath) {
                error = "unexpected argument '" + std::string(arg) + "'";
                return false;
            }
            out.path = std::string(arg);
            havePath = true;
            continue;
        }
        std::string_view name = arg.substr(2);
        std::string_view value;
        const std::size_t equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (Contains(names.switches, name) && !inlineValue) {
            if (!out.switches.emplace(name).second) {
                error = "option --" + std::string(name) + " given twice";
                return false;
            }
            continue;
        }
        if (!Contains(names.withValue, name)) {
            error = "unknown option '" + std::string(arg) + "'";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 == args.size()) {
                error = "option --" + std::string(name) + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!out.values.emplace(std::string(name), std::string(value)).second) {
            error = "option --" + std::string(name) + " given twice";
            return false;
        }
    }
    if (!havePath) {
        error = "missing the path of the .raw file";
        return false;
    }
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
