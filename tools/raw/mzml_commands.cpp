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
    return kExitInputFailed;
}

}  // namespace

int RunImportMzml(const std::vector<std::string_view>& args) {
    CommandLine line;
    if (const std::optional<int> done =
            ParseCommand("import-mzml", args, {{}, {"ignore-checksums"}, 2}, line)) {
        return *done;
    }
    const std::vector<std::string>& paths = line.paths;
    mzml::ImportOptions options;
    options.ignoreChecksums = line.switches.contains("ignore-checksums");
    options.warn = [](const std::string& warning) {
        std::fprintf(stderr, "brevanto-raw: warning: %s\n", warning.c_str());
    };
    std::string error;
    if (!mzml::ImportMzml(paths[0], paths[1], error, options)) {
        return Fail(error);
    }
    return kExitOk;
}

int RunExportMzml(const std::vector<std::string_view>& args) {
    CommandLine line;
    if (const std::optional<int> done = ParseCommand("export-mzml", args, {{}, {}, 2}, line)) {
        return *done;
    }
    std::string error;
    if (!mzml::ExportMzml(line.paths[0], line.paths[1], error)) {
        return Fail(error);
    }
    return kExitOk;
}
