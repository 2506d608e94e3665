#include "tests/tools/tool_runner.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tests/tools/scratch_dir.h"

namespace {

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args) {
    const ScratchDir capture;
    std::string command = ShellQuoted(BREVANTO_RAW_TOOL);
    for (const std::string& arg : args) {
        command += " " + ShellQuoted(arg);
    }
    command += " >" + ShellQuoted(capture.Path("out")) + " 2>" + ShellQuoted(capture.Path("err")) +
               " </dev/null";
    const int status = std::system(command.c_str());
    ToolResult result;
    if (status != -1 && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.out = ReadFile(capture.Path("out"));
    result.err = ReadFile(capture.Path("err"));
    return result;
}
