#pragma once

#include <string_view>
#include <vector>

// The commands of brevanto-raw. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 a file that is missing, incomplete, corrupt or cannot be written, 2 a
// usage error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunSynth(const std::vector<std::string_view>& args);
int RunInfo(const std::vector<std::string_view>& args);
int RunDump(const std::vector<std::string_view>& args);
int RunVerify(const std::vector<std::string_view>& args);
// Present when the open formats are built (BREVANTO_HAVE_MZML).
int RunImportMzml(const std::vector<std::string_view>& args);
int RunExportMzml(const std::vector<std::string_view>& args);
