#pragma once

#include <string_view>
#include <vector>

#include "tools/common/exit_codes.h"

// The commands of brevanto-raw. Each takes the arguments after its name and returns the exit
// status: kExitOk, kExitInputFailed for a file that is missing, incomplete, corrupt or cannot
// be written, kExitUsage for a refused command line.

int RunSynth(const std::vector<std::string_view>& args);
int RunInfo(const std::vector<std::string_view>& args);
int RunDump(const std::vector<std::string_view>& args);
int RunVerify(const std::vector<std::string_view>& args);
// Present when the open formats are built (BREVANTO_HAVE_MZML).
int RunImportMzml(const std::vector<std::string_view>& args);
int RunExportMzml(const std::vector<std::string_view>& args);
