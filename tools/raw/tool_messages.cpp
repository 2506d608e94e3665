#include "tools/raw/tool_messages.h"

#include <cstdio>
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
