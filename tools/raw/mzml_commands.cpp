// import-mzml and export-mzml: conversions between our raw data files and mzML.
#include <cstdio>
#include <string>

#include "mzml/raw_conversion.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

// The converters' messages name their file already.
int Fail(const std::string& error) {
    std::fprintf(stderr, "brevanto-raw: %s\n", error.c_str());
    return kExitFailure;
}

}  // namespace

int RunImportMzml(const std::vector<std::string_view>& args) {
    ImportOptions options;
    std::vector<std::string> paths;
    for (const std::string_view arg : args) {
        if (arg == "--ignore-checksums") {
            options.ignoreChecksums = true;
        } else {
            paths.emplace_back(arg);
        }
    }
    if (paths.size() != 2) {
        return UsageError("import-mzml takes an input and an output");
    }
    options.warn = [](const std::string& warning) {
        std::fprintf(stderr, "brevanto-raw: warning: %s\n", warning.c_str());
    };
    std::string error;
    if (!ImportMzml(paths[0], paths[1], error, options)) {
        return Fail(error);
    }
    return kExitOk;
}

int RunExportMzml(const std::vector<std::string_view>& args) {
    if (args.size() != 2) {
        return UsageError("export-mzml takes an input and an output");
    }
    std::string error;
    if (!ExportMzml(std::string(args[0]), std::string(args[1]), error)) {
        return Fail(error);
    }
    return kExitOk;
}
