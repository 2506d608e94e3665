#pragma once

#include <string>
#include <vector>

struct ToolResult {
    int exitStatus = -1;  // -1 when the program did not exit normally (a crash)
    std::string out;
    std::string err;
};

// Runs the built brevanto-raw with `args`, capturing its output and exit status.
ToolResult RunTool(const std::vector<std::string>& args);
// The same for any program, standard output and standard error apart.
ToolResult RunProgram(const std::string& program, const std::vector<std::string>& args);
