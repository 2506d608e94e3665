#include "tests/tools/tool_runner.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tests/tools/scratch_dir.h"

namespace {

std::string ShellQuoted(const std::string& text) {
    std::string quoted(1, '\'');
    for (const char c : text) {
        if (c == '\'') {
            quoted.append("'\\''");
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('\'');
    return quoted;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args) {
    return RunProgram(BREVANTO_RAW_TOOL, args);
}

ToolResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    const ScratchDir capture;
    std::string command = ShellQuoted(program);
    for (const std::string& arg : args) {
        command.append(" ").append(ShellQuoted(arg));
    }
    command.append(" >").append(ShellQuoted(capture.Path("out")));
    command.append(" 2>").append(ShellQuoted(capture.Path("err")));
    command.append(" </dev/null");
    const int status = std::system(command.c_str());
    ToolResult result;
    if (status != -1 && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.out = ReadFile(capture.Path("out"));
    result.err = ReadFile(capture.Path("err"));
    return result;
}
