// libFuzzer target: the input becomes an mzML or mzXML file (gzipped when it starts like gzip),
// which is read through the reader (the document pass without a sink) and then filtered. Any
// crash, sanitizer report or hang is a bug. So is a broken promise, which aborts: a refusal
// names the file and leaves nothing behind, and the output of a file the reader takes holds
// every spectrum and exactly the peaks the rules keep.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "mzml/document_pass.h"
#include "mzml/open_format_filter.h"
#include "params/mass_range_list.h"
#include "tests/mzml/open_format_read_back.h"

namespace {

struct Workspace {
    std::string directory;
    std::string input;
    std::string output;
    params::CMassRangeList rules;
};

// The directory lives on a RAM disk when there is one.
const Workspace& TheWorkspace() {
    static const Workspace workspace = [] {
        std::error_code ignored;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ignored)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        const std::filesystem::path dir = base / ("open-format-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir, ignored);
        Workspace w;
        w.directory = dir.string();
        w.input = (dir / "input.mzML").string();
        w.output = mzml::OpenFormatOutputPath(w.input, "_BRV");
        // Levels 1 to 3 are filtered, so spectra of those levels are decoded and rewritten;
        // other levels are copied through.
        for (std::int32_t level = 1; level <= 3; ++level) {
            w.rules.AddEntry(params::MakeMassRange(level, 50, 3000, 0.25, 150, 150));
        }
        return w;
    }();
    // Gone at a normal exit; after a crash it stays, with the input that caused it. Registered
    // once the workspace exists, so it runs before the workspace is destroyed.
    static const bool cleanup = std::atexit([] {
                                    std::error_code unused;
                                    std::filesystem::remove_all(TheWorkspace().directory, unused);
                                }) == 0;
    (void)cleanup;
    return workspace;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::abort();  // the harness itself is broken; no input may be skipped silently
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

[[noreturn]] void Broken(const char* promise, const std::string& detail) {
    std::fprintf(stderr, "open_format_fuzzer: %s: %s\n", promise, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Workspace& w = TheWorkspace();
    WriteFile(w.input, data, size);

    ReadBack read;
    std::string error;
    const bool readable = ReadOpenFormatBack(w.input, &w.rules, read, error, true);
    if (!readable && error.find(w.input) == std::string::npos) {
        Broken("the reader's message does not name the file", error);
    }

    processing::FileRunSummary summary;
    mzml::OpenFormatOptions options;
    options.ignoreChecksums = true;
    error.clear();
    if (mzml::FilterOpenFormatFile(w.input, w.output, w.rules, nullptr, summary, error, options)) {
        // A file only the filter takes is no broken promise: it copies spectra of levels
        // without rules as they are, where the reader decodes them.
        if (readable) {
            const std::string broken = CheckFilteredOutput(read, w.output, w.rules);
            if (!broken.empty())
                Broken("the filter's output is not what the rules keep", broken);
        }
        ::unlink(w.output.c_str());
    } else {
        if (error.find(w.input) == std::string::npos && error.find(w.output) == std::string::npos) {
            Broken("the filter's message does not name the file", error);
        }
        for (const auto& entry : std::filesystem::directory_iterator(w.directory)) {
            if (entry.path().string() != w.input) {
                Broken("a refused input left a file behind", entry.path().string());
            }
        }
    }
    return 0;
}
