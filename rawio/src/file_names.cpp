#include "file_names.h"

#include <cctype>
#include <cstdio>

namespace rawio {
namespace {

const char* FunctionSuffix(FileKind kind) {
    switch (kind) {
        case FileKind::kScans:
            return "scans";
        case FileKind::kStats:
            return "stats";
        case FileKind::kExtended:
            return "ee";
        default:
            return nullptr;
    }
}

}  // namespace

std::string LibraryFileName(FileKind kind, std::uint32_t function) {
    switch (kind) {
        case FileKind::kHeader:
            return "brv-header.bin";
        case FileKind::kFunctions:
            return "brv-functions.bin";
        case FileKind::kAnalog:
            return "brv-analog.bin";
        case FileKind::kHistory:
            return "brv-history.bin";
        case FileKind::kManifest:
            return kManifestName;
        default:
            break;
    }
    char name[40];
    std::snprintf(name, sizeof name, "brv-f%05u-%s.bin", static_cast<unsigned>(function),
                  FunctionSuffix(kind));
    return name;
}

bool IsLibraryFileName(const std::string& name) {
    for (const FileKind kind : {FileKind::kHeader, FileKind::kFunctions, FileKind::kAnalog,
                                FileKind::kHistory, FileKind::kManifest}) {
        if (name == LibraryFileName(kind, 0)) {
            return true;
        }
    }
    if (name == kManifestTempName) {
        return true;
    }
    // brv-fNNNNN-<suffix>.bin with NNNNN in 00001..65535
    if (name.size() < 16 || name.compare(0, 5, "brv-f") != 0 || name[10] != '-') {
        return false;
    }
    std::uint32_t function = 0;
    for (std::size_t i = 5; i < 10; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) {
            return false;
        }
        function = function * 10 + static_cast<std::uint32_t>(name[i] - '0');
    }
    if (function < 1 || function > kMaxFunctions) {
        return false;
    }
    for (const FileKind kind : {FileKind::kScans, FileKind::kStats, FileKind::kExtended}) {
        if (name == LibraryFileName(kind, function)) {
            return true;
        }
    }
    return false;
}

std::string TrimTrailingSlashes(const std::string& path) {
    std::string out = path;
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

bool HasRawExtension(const std::string& path) {
    const std::string base = BaseName(TrimTrailingSlashes(path));
    if (base.size() <= 4) {
        return false;
    }
    const std::string ext = base.substr(base.size() - 4);
    return ext[0] == '.' && std::tolower(static_cast<unsigned char>(ext[1])) == 'r' &&
           std::tolower(static_cast<unsigned char>(ext[2])) == 'a' &&
           std::tolower(static_cast<unsigned char>(ext[3])) == 'w';
}

std::string PathInDirectory(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '/') {
        return directory + name;
    }
    return directory + "/" + name;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace rawio
