#include "tests/support/command_runner.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"

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

CommandResult RunCommand(const std::string& command) {
    // Files rather than pipes: a command that fills one stream while nobody reads the other
    // cannot block, and the two stay apart.
    const ScratchDir capture;
    const std::string line = command + " >" + ShellQuoted(capture.Path("out")) + " 2>" +
                             ShellQuoted(capture.Path("err")) + " </dev/null";
    const int status = std::system(line.c_str());
    CommandResult result;
    if (status != -1 && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.out = ReadFile(capture.Path("out"));
    result.err = ReadFile(capture.Path("err"));
    return result;
}

int RunCommand(const std::string& command, std::string& said) {
    const CommandResult result = RunCommand(command);
    said = result.out + result.err;
    return result.exitStatus;
}

CommandResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    std::string command = ShellQuoted(program);
    for (const std::string& arg : args) {
        command.append(" ").append(ShellQuoted(arg));
    }
    return RunCommand(command);
}
