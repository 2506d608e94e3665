#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The arguments of one command: its paths and options given as "--name value",
// "--name=value" or, for switches, "--name"; "--" ends the options.
struct CommandLine {
    std::string path;                // the first path
    std::vector<std::string> paths;  // all of them, in order
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> switches;
    bool help = false;     // --help or -h was given: show helpText, do nothing else
    std::string helpText;  // the command's options, generated
};

struct OptionNames {
    std::vector<std::string_view> withValue;
    std::vector<std::string_view> switches;
    std::size_t paths = 1;                      // how many paths the command takes
    std::string_view command = "brevanto-raw";  // as the help names it
    std::string_view description = {};          // the help's first lines
    // What each option means, by name, for the help; an option without one is listed bare.
    std::map<std::string_view, std::string_view> meanings = {};
};

// False with `error` set for an unknown or repeated option, a missing value, a missing path or
// one too many, a switch given a value.
bool ParseCommandLine(const std::vector<std::string_view>& args, const OptionNames& names,
                      CommandLine& out, std::string& error);

// Reads option `name` as a decimal number in [0, max] into `value`, leaving it unchanged when
// the option is absent. False with `error` set when the text is not such a number.
bool ReadNumberOption(const CommandLine& line, std::string_view name, std::uint64_t max,
                      std::uint64_t& value, std::string& error);
