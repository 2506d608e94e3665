#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

// Helpers that give every program the same reading of a command line on top of CLI11.

// "--name=" becomes "--name" followed by an empty argument: the parser would otherwise take
// the next argument as the value, where the user wrote an empty one.
std::vector<std::string> SeparateEmptyInlineValues(const std::vector<std::string>& args);

// The first argument that gives a switch of `app` a value ("--quiet=1"), or empty. Switches
// take no value; such an argument is refused as an unknown option.
std::string FindSwitchWithValue(const CLI::App& app, const std::vector<std::string>& args);

// The parser's complaint as one sentence; a missing value reads "option --name needs a value".
std::string DescribeParseError(const CLI::ParseError& error);

// Parses `args` (without the program name) with `app`, in the order given. An option that
// takes a value takes the next argument whatever it is ("--suffix -old"), as getopt does.
void ParseInOrder(CLI::App& app, const std::vector<std::string>& args);
