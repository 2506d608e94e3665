#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rawio/raw_api.h"
#include "tools/raw/command_line.h"

// Parses the arguments of `command` into `line`. Nothing when the command should go on;
// otherwise the exit status after its help was printed to standard output or a usage error
// to standard error.
std::optional<int> ParseCommand(std::string_view command, const std::vector<std::string_view>& args,
                                OptionNames names, CommandLine& line);

// Prints "brevanto-raw: <message>", the usage text, and returns the usage exit status.
int UsageError(const std::string& message);
// Prints the usage text to standard output.
void PrintUsage();
// Prints "brevanto-raw: <path>: <what>: <the library's text for status>".
void ReportRawFailure(const std::string& path, const std::string& what, RawStatus status);
// Prints "brevanto-raw: <path>: <message>".
void ReportFailure(const std::string& path, const std::string& message);
