// import-mzml and export-mzml: conversions between our raw data files and mzML.
#include <string>

#include "mzml/raw_conversion.h"
#include "tools/raw/raw_commands.h"
#include "tools/raw/tool_messages.h"

namespace {

int Convert(const std::vector<std::string_view>& args, const char* command,
            bool (*convert)(const std::string&, const std::string&, std::string&)) {
    if (args.size() != 2) {
        return UsageError(std::string(command) + " takes an input and an output");
    }
    std::string error;
    if (!convert(std::string(args[0]), std::string(args[1]), error)) {
        ReportFailure(std::string(args[0]), error);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int RunImportMzml(const std::vector<std::string_view>& args) {
    return Convert(args, "import-mzml", ImportMzml);
}

int RunExportMzml(const std::vector<std::string_view>& args) {
    return Convert(args, "export-mzml", ExportMzml);
}
