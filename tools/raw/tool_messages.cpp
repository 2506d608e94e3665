#include "tools/raw/tool_messages.h"

#include <cstdio>
#include <map>
#include <string>

#include "tools/common/exit_codes.h"
#include "tools/raw/raw_commands.h"

namespace {

struct CommandUsage {
    std::string_view command;
    std::string_view usage;
};

// Each command's line of the usage text, also the start of its own --help.
constexpr CommandUsage kCommandUsages[] = {
    {"synth",
     "brevanto-raw synth OUT.raw [--functions N] [--scans S] [--peaks P] [--seed X]\n"
     "                          [--analog K] [--points Q] [--history H] [--no-stats] [--no-ee]\n"
     "                          [--companions C]"},
    {"info", "brevanto-raw info FILE.raw [--json]"},
    {"dump", "brevanto-raw dump FILE.raw [--function J]"},
    {"verify", "brevanto-raw verify FILE.raw"},
    {"import-mzml", "brevanto-raw import-mzml [--ignore-checksums] IN.mzML|IN.mzXML OUT.raw"},
    {"export-mzml", "brevanto-raw export-mzml IN.raw OUT.mzML"},
};

// What each option of a command means, for its --help.
const std::map<std::string_view, std::string_view> kOptionMeanings = {
    {"functions", "Acquisition functions, 0 to 65535 (default 2)"},
    {"scans", "Scans per function (default 100)"},
    {"peaks", "Peaks per scan, 0 allowed (default 500)"},
    {"seed", "Seed of the generator; the same options give the same bytes (default 1)"},
    {"analog", "Analog channels, 0 to 65535 (default 0)"},
    {"points", "Points per analog channel (default 1000)"},
    {"history", "History records, 0 to 65534 (default 0)"},
    {"companions", "Plain files written beside the library's files (default 0)"},
    {"no-stats", "No statistics record per scan"},
    {"no-ee", "No extended-experiment record per function"},
    {"json", "Describe as JSON"},
    {"function", "Only this function, from 1 (default every function)"},
    {"ignore-checksums", "Read a file whose own checksum is wrong, with a warning"},
};

std::string UsageText() {
    std::string text;
    for (const CommandUsage& entry : kCommandUsages) {
        text += text.empty() ? "usage: " : "       ";
        text += entry.usage;
        text += "\n";
    }
    return text +
           "       brevanto-raw --version\n"
           "Options take their value as \"--name value\" or \"--name=value\"; \"--\" ends the "
           "options.\n"
           "brevanto-raw COMMAND --help lists the options of one command.\n";
}

}  // namespace

int UsageError(const std::string& message) {
    std::fprintf(stderr, "brevanto-raw: %s\n%s", message.c_str(), UsageText().c_str());
    return kExitUsage;
}

void PrintUsage() {
    std::fputs(UsageText().c_str(), stdout);
    std::printf("%s\n", ExitStatusHelp());
}

std::optional<int> ParseCommand(std::string_view command, const std::vector<std::string_view>& args,
                                OptionNames names, CommandLine& line) {
    const std::string title = "brevanto-raw " + std::string(command);
    names.command = title;
    names.meanings = kOptionMeanings;
    for (const CommandUsage& entry : kCommandUsages) {
        if (entry.command == command) {
            names.description = entry.usage;
        }
    }
    std::string error;
    if (!ParseCommandLine(args, names, line, error)) {
        return UsageError(std::string(command) + ": " + error);
    }
    if (line.help) {
        std::fputs(line.helpText.c_str(), stdout);
        return kExitOk;
    }
    return std::nullopt;
}

void ReportRawFailure(const std::string& path, const std::string& what, RawStatus status) {
    // The status says what kind of failure; the detail which file, which check, and why.
    const std::string detail = RawLastErrorDetail();
    const std::string text = RawStatusText(status);
    std::fprintf(stderr, "brevanto-raw: %s: %s: %s%s%s\n", path.c_str(), what.c_str(), text.c_str(),
                 detail.empty() || detail == text ? "" : "; ",
                 detail.empty() || detail == text ? "" : detail.c_str());
}

void ReportFailure(const std::string& path, const std::string& message) {
    std::fprintf(stderr, "brevanto-raw: %s: %s\n", path.c_str(), message.c_str());
}
