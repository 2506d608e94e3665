#pragma once

#include <string>

namespace processing {

// Splitting and joining of paths by the output naming rule. Both "\" and "/" separate
// directories, so Windows-style and ordinary Linux paths split alike.
struct PathParts {
    std::string drive;      // a leading letter and colon ("C:"), or empty
    std::string directory;  // up to and including the last "\" or "/", or empty
    std::string name;       // between the directory and the extension
    std::string extension;  // from the last "." of the rest, or empty
};

PathParts SplitPath(const std::string& path);
std::string JoinPathParts(const PathParts& parts);

// The output path for an input: the suffix appended to the name part, so the output lies
// beside the input (C:\d\a.b.raw with _BRV gives C:\d\a.b_BRV.raw).
std::string OutputPathFor(const std::string& input, const std::string& suffix);

// `path` without trailing "/" ("/" itself stays), so that "x.raw/" is named like "x.raw".
std::string WithoutTrailingSlashes(const std::string& path);

// This platform's limits on what the run may create.
inline constexpr std::size_t kMaxNameBytes = 255;
inline constexpr std::size_t kMaxPathBytes = 4095;

// Empty when the output path may be used; otherwise why not (too long, the input itself, or
// a symbolic link, which an output never writes through).
std::string CheckOutputPath(const std::string& input, const std::string& output);
// The same for an output that is one file (an mzML or mzXML file): what exists under its name
// must also be a regular file, which the run may replace.
std::string CheckFileOutputPath(const std::string& input, const std::string& output);

}  // namespace processing
