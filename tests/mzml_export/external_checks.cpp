#include "tests/mzml_export/external_checks.h"

#include <unistd.h>

#include <filesystem>

#include "tests/support/command_runner.h"

namespace {

long NumberAfter(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::stol(text.substr(at + label.size()));
}

}  // namespace

std::optional<std::string> SchemaComplaints(const std::string& path) {
    if (::access(BREVANTO_MZML_IDX_XSD, R_OK) != 0 || ::access("/usr/bin/xmllint", X_OK) != 0) {
        return std::nullopt;
    }
    std::string output;
    const int status = RunCommand(std::string("/usr/bin/xmllint --noout --nonet --schema ") +
                                      ShellQuoted(BREVANTO_MZML_IDX_XSD) + " " + ShellQuoted(path),
                                  output);
    return status == 0 ? std::string() : "status " + std::to_string(status) + ": " + output;
}

std::optional<FileInfoCounts> FileInfoOf(const std::string& path) {
    if (::access("/usr/bin/FileInfo", X_OK) != 0) {
        return std::nullopt;
    }
    FileInfoCounts counts;
    // Its progress goes to files in the current directory and its home; keep them apart.
    const std::string scratch = std::filesystem::path(path).parent_path().string();
    RunCommand("cd " + ShellQuoted(scratch) + " && HOME=" + ShellQuoted(scratch) +
                   " /usr/bin/FileInfo -no_progress -in " + ShellQuoted(path),
               counts.output);
    counts.spectra = NumberAfter(counts.output, "Number of spectra: ");
    counts.peaks = NumberAfter(counts.output, "Total number of peaks: ");
    return counts;
}
