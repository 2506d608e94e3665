// brevanto-raw: makes, describes, checks and converts raw data files. What a command reports
// goes to standard output; failures and usage errors to standard error.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/exit_codes.h"
#include "tools/common/tool_version.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

using CommandFunction = int (*)(const std::vector<std::string_view>&);

struct Command {
    const char* name;
    const char* summary;
    CommandFunction run;
};

constexpr Command kCommands[] = {
    {"synth", "Writes a deterministic sample acquisition", RunSynth},
    {"info", "Describes an acquisition", RunInfo},
    {"dump", "Prints every scan's peaks", RunDump},
    {"verify", "Reads everything and checks it", RunVerify},
#ifdef BREVANTO_HAVE_MZML
    {"import-mzml", "Converts an mzML or mzXML file into a raw data file", RunImportMzml},
    {"export-mzml", "Converts a raw data file into mzML", RunExportMzml},
#endif
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Makes, describes, checks and converts raw data files.", "brevanto-raw"};
    app.set_help_flag();  // the hand-written usage below says more than a generated one
    CLI::Option* help = app.add_flag("-h,--help");
    app.set_version_flag("--version", VersionText("brevanto-raw"));
    app.allow_extras();  // an unknown command is named below
    app.require_subcommand(0, 1);
    std::vector<CLI::App*> commands;
    for (const Command& command : kCommands) {
        CLI::App* sub = app.add_subcommand(command.name, command.summary);
        // The command reads its own arguments, --help included.
        sub->prefix_command();
        sub->set_help_flag();
        commands.push_back(sub);
    }
    CLI::App* helpCommand = app.add_subcommand("help", "Prints the usage");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        return UsageError(e.what());
    }
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (commands[i]->parsed()) {
            const std::vector<std::string> rest = commands[i]->remaining();
            return kCommands[i].run(std::vector<std::string_view>(rest.begin(), rest.end()));
        }
    }
    if (help->count() > 0 || helpCommand->parsed()) {
        PrintUsage();
        return kExitOk;
    }
    const std::vector<std::string> rest = app.remaining();
    if (rest.empty()) {
        return UsageError("missing command");
    }
    if (rest.front().starts_with("-")) {
        return UsageError("unknown option '" + rest.front() + "'");
    }
    return UsageError("unknown command '" + rest.front() + "'");
}
