#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The arguments of one command: a single path and options given as "--name value",
// "--name=value" or, for switches, "--name".
struct CommandLine {
    std::string path;
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> switches;
};

struct OptionNames {
    std::vector<std::string_view> withValue;
    std::vector<std::string_view> switches;
};

// False with `error` set for an unknown or repeated option, a missing value, a missing path or
// a second path.
bool ParseCommandLine(const std::vector<std::string_view>& args, const OptionNames& names,
                      CommandLine& out, std::string& error);

// Reads option `name` as a decimal number in [0, max] into `value`, leaving it unchanged when
// the option is absent. False with `error` set when the text is not such a number.
bool ReadNumberOption(const CommandLine& line, std::string_view name, std::uint64_t max,
                      std::uint64_t& value, std::string& error);
