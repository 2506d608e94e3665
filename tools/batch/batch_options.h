#pragma once

#include <string>
#include <vector>

#include "params/mass_range_list.h"

struct BatchOptions {
    std::string suffix = "_BRV";
    params::CMassRangeList rules;
    std::vector<std::string> inputs;  // in the order given
    unsigned jobs = 1;
    bool keepGoing = false;
    bool ignoreChecksums = false;  // filter open-format files whose own checksum is wrong
    bool quiet = false;
    bool help = false;     // --help or -h: print BatchHelp() and do nothing else
    bool version = false;  // --version: print the version and do nothing else
};

inline constexpr const char* kBatchUsage =
    "usage: brevanto-batch [--suffix TEXT] [--rule F:LOW:HIGH:DEFECT:ABOVE:BELOW]...\n"
    "                      [--rules FILE] [--list FILE] [-j N] [--keep-going] [--quiet]\n"
    "                      [--ignore-checksums]\n"
    "                      INPUT...\n"
    "       brevanto-batch --help | --version\n";

// Parses the command line (without the program name). Options may come anywhere, as
// "--name value" or "--name=value"; "-j N" also as "-jN"; after "--" every argument is an
// input. Rules and inputs keep the order in which they were given, also across --rules and
// --list files. False with `error` set for a usage error: an unknown option, a missing value,
// a bad rule (naming the rule and the field), no rule, no input.
bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions& options,
                       std::string& error);

// The full help: the usage line, every option with its meaning, the exit statuses.
std::string BatchHelp();

// Warnings about a parsed run that is allowed but likely not meant, one sentence each: a
// rule whose low mass is at or above its high mass keeps no peak.
std::vector<std::string> BatchWarnings(const BatchOptions& options);
