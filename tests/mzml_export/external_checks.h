#pragma once

#include <optional>
#include <string>

// The independent programs the export's output is checked with. Each returns nullopt when its
// program (or the schema) is not installed, so the caller can skip.

// xmllint against the indexed mzML 1.1 schema: "" when valid, else xmllint's complaints.
std::optional<std::string> SchemaComplaints(const std::string& path);

struct FileInfoCounts {
    long spectra = -1;
    long peaks = -1;
    std::string output;  // everything it printed, for failure messages
};
// OpenMS FileInfo's "Number of spectra" and "Total number of peaks".
std::optional<FileInfoCounts> FileInfoOf(const std::string& path);
