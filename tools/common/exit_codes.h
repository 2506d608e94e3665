#pragma once

// The exit statuses of every Brevanto command-line program. Scripts and the workflow tell a
// failed input from a refused command line by them, so the values never change.
enum ToolExitStatus : int {
    kExitOk = 0,           // everything asked for was done
    kExitInputFailed = 1,  // an input or output failed: missing, damaged, unwritable
    kExitUsage = 2,        // the command line was refused before anything was touched
};

// The statuses with their meanings, one line, for the end of a program's help.
const char* ExitStatusHelp();
