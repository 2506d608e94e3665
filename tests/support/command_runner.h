#pragma once

#include <string>
#include <vector>

struct CommandResult {
    int exitStatus = -1;  // -1 when the command did not exit normally (a crash, a signal)
    std::string out;
    std::string err;
};

// `text` quoted for the shell, whatever it holds.
std::string ShellQuoted(const std::string& text);

// Runs a shell command with no input, its standard output and standard error captured apart.
CommandResult RunCommand(const std::string& command);
// The same, for checks that only report what the command said: `said` receives its standard
// output and then its standard error. Returns the exit status (-1 as above).
int RunCommand(const std::string& command, std::string& said);
// Runs `program` with `args`, each passed as it is.
CommandResult RunProgram(const std::string& program, const std::vector<std::string>& args);
