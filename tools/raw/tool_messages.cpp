#include "tools/raw/tool_messages.h"

#include <cstdio>

#include "tools/raw/raw_commands.h"

namespace {

constexpr const char* kUsage =
    "usage: brevanto-raw synth OUT.raw [--functions N] [--scans S] [--peaks P] [--seed X]\n"
    "                          [--analog K] [--points Q] [--history H] [--no-stats] [--no-ee]\n"
    "                          [--companions C]\n"
    "       brevanto-raw info FILE.raw [--json]\n"
    "       brevanto-raw dump FILE.raw [--function J]\n"
    "       brevanto-raw verify FILE.raw\n"
    "       brevanto-raw import-mzml [--ignore-checksums] IN.mzML|IN.mzXML OUT.raw\n"
    "       brevanto-raw export-mzml IN.raw OUT.mzML\n";

}  // namespace

int UsageError(const std::string& message) {
    std::fprintf(stderr, "brevanto-raw: %s\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

void PrintUsage() {
    std::fputs(kUsage, stdout);
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
