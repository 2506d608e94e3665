#include "tests/mzml_export/external_checks.h"

#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

// Runs a shell command, with its standard error joined to its output.
int Run(const std::string& command, std::string& output) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& path) {
    std::string text = "'";
    for (const char c : path) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

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
    const int status = Run(std::string("/usr/bin/xmllint --noout --nonet --schema ") +
                               Quoted(BREVANTO_MZML_IDX_XSD) + " " + Quoted(path),
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
    Run("cd " + Quoted(scratch) + " && HOME=" + Quoted(scratch) +
            " /usr/bin/FileInfo -no_progress -in " + Quoted(path),
        counts.output);
    counts.spectra = NumberAfter(counts.output, "Number of spectra: ");
    counts.peaks = NumberAfter(counts.output, "Total number of peaks: ");
    return counts;
}
