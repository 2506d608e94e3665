#pragma once

#include <string>

#include "rawio/raw_api.h"

// Prints "brevanto-raw: <message>", the usage text, and returns the usage exit status.
int UsageError(const std::string& message);
// Prints the usage text to standard output.
void PrintUsage();
// Prints "brevanto-raw: <path>: <what>: <the library's text for status>".
void ReportRawFailure(const std::string& path, const std::string& what, RawStatus status);
// Prints "brevanto-raw: <path>: <message>".
void ReportFailure(const std::string& path, const std::string& message);
