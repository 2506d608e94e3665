#include "processing/output_path.h"

#include "processing/format_route.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace processing {

namespace fs = std::filesystem;

PathParts SplitPath(const std::string& path) {
    PathParts parts;
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(path[0])) != 0) {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    const std::size_t lastSeparator = path.find_last_of("\\/");
    std::size_t nameStart = start;
    if (lastSeparator != std::string::npos && lastSeparator >= start) {
        parts.directory = path.substr(start, lastSeparator + 1 - start);
        nameStart = lastSeparator + 1;
    }
    const std::string rest = path.substr(nameStart);
    const std::size_t dot = rest.find_last_of('.');
    if (dot == std::string::npos) {
        parts.name = rest;
    } else {
        parts.name = rest.substr(0, dot);
        parts.extension = rest.substr(dot);
    }
    return parts;
}

std::string JoinPathParts(const PathParts& parts) {
    return parts.drive + parts.directory + parts.name + parts.extension;
}

std::string OutputPathFor(const std::string& input, const std::string& suffix) {
    PathParts parts = SplitPath(input);
    parts.name += suffix;
    return JoinPathParts(parts);
}

std::string WithoutTrailingSlashes(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    return trimmed;
}

std::string CheckOutputPath(const std::string& input, const std::string& output) {
    const PathParts parts = SplitPath(output);
    if (parts.name.size() + parts.extension.size() > kMaxNameBytes) {
        return "the output name is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    }
    if (output.size() > kMaxPathBytes) {
        return "the output path is longer than " + std::to_string(kMaxPathBytes) + " bytes";
    }
    // An empty suffix, or another spelling of the same directory, would have the run write
    // over the very file it reads.
    std::error_code ec;
    if (output == input || std::filesystem::equivalent(input, output, ec)) {
        return "the output path is the input itself (is the suffix empty?)";
    }
    if (fs::is_symlink(fs::symlink_status(output, ec))) {
        return "the output path " + output +
               " is a symbolic link; an output is never written through a link";
    }
    return {};
}

std::string CheckFileOutputPath(const std::string& input, const std::string& output) {
    std::string refused = CheckOutputPath(input, output);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(output, ec);
    if (refused.empty() && fs::exists(status) && !fs::is_regular_file(status)) {
        refused = "exists and is not a regular file";
    }
    return refused;
}

std::string OutputPathOf(const std::string& input, const std::string& suffix,
                         const FormatRoute* route) {
    if (route != nullptr && route->Takes(input)) {
        return route->OutputPath(input, suffix);
    }
    return OutputPathFor(WithoutTrailingSlashes(input), suffix);
}

}  // namespace processing
