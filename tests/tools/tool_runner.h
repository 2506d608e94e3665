#pragma once

#include <string>
#include <vector>

#include "tests/support/command_runner.h"

using ToolResult = CommandResult;

// Runs the built brevanto-raw with `args`, capturing its output and exit status.
inline ToolResult RunTool(const std::vector<std::string>& args) {
    return RunProgram(BREVANTO_RAW_TOOL, args);
}
