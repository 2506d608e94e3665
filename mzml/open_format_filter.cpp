#include "mzml/open_format_filter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "mzml/byte_sink.h"
#include "mzml/document_pass.h"
#include "mzml/markup_scanner.h"
#include "processing/output_path.h"
#include "processing/temporary_output.h"

namespace mzml {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == end;
}

bool IsGzipFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char magic[2] = {0, 0};
    const bool gzip = ::read(fd, magic, 2) == 2 && magic[0] == 0x1f && magic[1] == 0x8b;
    ::close(fd);
    return gzip;
}

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Makes the rename of a finished output durable.
void SyncDirectoryOf(const std::string& path) {
    std::string directory = std::filesystem::path(path).parent_path().string();
    if (directory.empty())
        directory = ".";
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool IsOpenFormatPath(const std::string& path) {
    for (const char* extension : {".mzml", ".mzxml", ".mzml.gz", ".mzxml.gz"}) {
        if (EndsWithNoCase(path, extension))
            return true;
    }
    return false;
}

bool IsOpenFormatFile(const std::string& path) {
    OpenFormat format;
    return SniffOpenFormat(path, format);
}

std::string OpenFormatOutputPath(const std::string& input, const std::string& suffix) {
    processing::PathParts parts = processing::SplitPath(input);
    if (Lower(parts.extension) == ".gz") {
        // x.mzML.gz: the name is "x" and the extension ".mzML.gz".
        const processing::PathParts inner = processing::SplitPath(parts.name);
        if (!inner.extension.empty()) {
            parts.name = inner.name;
            parts.extension = inner.extension + parts.extension;
        }
    }
    parts.name += suffix;
    return processing::JoinPathParts(parts);
}

bool FilterOpenFormatFile(const std::string& input, const std::string& output,
                          const params::CMassRangeList& rules, processing::RunProgress* progress,
                          processing::FileRunSummary& summary, std::string& error,
                          const OpenFormatOptions& options) {
    processing::NullProgress noProgress;
    processing::RunProgress& shown = progress != nullptr ? *progress : noProgress;
    summary = processing::FileRunSummary{input, output, {}};

    const std::string refused = processing::CheckFileOutputPath(input, output);
    if (!refused.empty()) {
        error = FileMessage(output, refused);
        return false;
    }
    struct stat inputStat {};
    if (::stat(input.c_str(), &inputStat) != 0) {
        error = FileMessage(input, std::strerror(errno));
        return false;
    }

    processing::RemoveStaleTemporaries(output);
    const std::string temporary = processing::TemporaryPathFor(output);
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error = FileMessage(output, SystemError("cannot create a temporary file beside it"));
        return false;
    }
    processing::RegisterTemporary(temporary);
    auto discard = [&] {
        ::unlink(temporary.c_str());
        processing::UnregisterTemporary(temporary);
    };

    std::unique_ptr<ByteSink> sink = ByteSink::ToDescriptor(fd, IsGzipFile(input), output);
    PassSettings settings;
    settings.rules = &rules;
    settings.sink = sink.get();
    settings.ignoreChecksums = options.ignoreChecksums;
    settings.warn = [&](const std::string& what) {
        if (options.warn)
            options.warn(FileMessage(input, what));
    };
    shown.SetRange(kOpenFormatSteps);
    std::uint64_t stepsShown = 0;
    settings.progress = [&](std::uint64_t done, std::uint64_t total) {
        const std::uint64_t steps = total == 0 ? 0 : done * kOpenFormatSteps / total;
        while (stepsShown < steps && stepsShown < kOpenFormatSteps) {
            shown.Step();
            ++stepsShown;
        }
    };
    PassResult result;
    bool ok = RunDocumentPass(input, settings, result, error);
    if (::close(fd) != 0 && ok) {
        error = FileMessage(output, SystemError("closing the written file failed"));
        ok = false;
    }
    if (!ok) {
        discard();
        return false;
    }
    if (::rename(temporary.c_str(), output.c_str()) != 0) {
        error = FileMessage(output, SystemError("cannot rename the finished temporary file"));
        discard();
        return false;
    }
    processing::UnregisterTemporary(temporary);
    SyncDirectoryOf(output);
    settings.progress(1, 1);
    summary.functions = result.levels;
    return true;
}

}  // namespace mzml
