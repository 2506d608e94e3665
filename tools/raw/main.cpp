#include <string_view>
#include <vector>

#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        return UsageError("missing command");
    }
    const std::string_view command = argv[1];
    const std::vector<std::string_view> args(argv + 2, argv + argc);
    if (command == "synth") {
        return RunSynth(args);
    }
    if (command == "info") {
        return RunInfo(args);
    }
    if (command == "dump") {
        return RunDump(args);
    }
    if (command == "verify") {
        return RunVerify(args);
    }
#ifdef BREVANTO_HAVE_MZML
    if (command == "import-mzml") {
        return RunImportMzml(args);
    }
    if (command == "export-mzml") {
        return RunExportMzml(args);
    }
#endif
    if (command == "--help" || command == "-h" || command == "help") {
        PrintUsage();
        return kExitOk;
    }
    return UsageError("unknown command '" + std::string(command) + "'");
}
