// libFuzzer target: the input becomes the library files of a raw data directory, which is then
// read through the whole API the way the batch run reads it. Any crash, sanitizer report or
// hang is a bug; every status is acceptable.

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_container.h"
#include "rawio/raw_api.h"

namespace {

// Caller-side allocations a hostile file may ask for are capped, as a careful caller would.
constexpr std::uint32_t kMaxPeaks = 1u << 20;
constexpr std::uint32_t kMaxPoints = 1u << 20;

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The directory lives on a RAM disk when there is one; each input rewrites only its files.
struct Workspace {
    std::string directory;
    std::array<std::string, rawfuzz::kFileCount> paths;
};

const std::filesystem::path& TheWorkspaceRoot() {
    static const std::filesystem::path root = [] {
        std::error_code ignored;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ignored)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        return base / ("rawio-fuzz-" + std::to_string(::getpid()));
    }();
    return root;
}

const Workspace& TheWorkspace() {
    static const Workspace workspace = [] {
        std::error_code ignored;
        const std::filesystem::path dir = TheWorkspaceRoot() / "input.raw";
        std::filesystem::create_directories(dir, ignored);
        // Replayed as a test on every run, so it must not leave a directory behind per run.
        std::atexit([] {
            std::error_code ignoredAtExit;
            std::filesystem::remove_all(TheWorkspaceRoot(), ignoredAtExit);
        });
        Workspace w;
        w.directory = dir.string();
        for (std::size_t i = 0; i < rawfuzz::kFileCount; ++i) {
            w.paths[i] = (dir / rawfuzz::FileNames()[i]).string();
        }
        return w;
    }();
    return workspace;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::abort();  // the harness itself is broken; no input may be skipped silently
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

void ReadEverything(RawHandle r) {
    static std::vector<std::uint8_t> headerRecord(kHeaderRecordSize);
    static std::vector<std::uint8_t> headerBlock(kHeaderBlockSize);
    std::uint16_t functions = 0;
    if (RawReadHeader(r, headerRecord.data(), headerBlock.data(), &functions, nullptr) != kRawOk) {
        functions = 0;
    }
    for (std::int32_t f = 1; f <= functions; ++f) {
        std::uint8_t record[kFunctionRecordSize];
        if (RawReadFuncInfo(r, f, record, nullptr) != kRawOk ||
            RawReadFuncInit(r, f, 0, 0, record, headerBlock.data()) != kRawOk) {
            continue;
        }
        std::uint8_t statsFile[kStatsFileSize];
        const bool stats = RawReadGetStatsFile(r, f, 0, statsFile) == kRawOk;
        const std::uint32_t scans =
            std::min<std::uint32_t>(Get32(record + kFunctionRecordScanCountOffset), 4096);
        for (std::uint32_t s = 1; s <= scans; ++s) {
            std::uint8_t info[kScanInfoSize];
            std::uint32_t capacity = 0;
            if (RawReadSpectrum(r, f, 0, static_cast<std::int32_t>(s), 1, &capacity, info, nullptr,
                                nullptr, nullptr, 0) != kRawOk) {
                break;
            }
            const std::uint32_t n = std::min(Get32(info) & kScanInfoCountMask, kMaxPeaks);
            static std::vector<float> masses;
            static std::vector<std::uint32_t> intensities;
            static std::vector<std::uint8_t> bytes;
            if (masses.size() < n + 1) {
                masses.resize(n + 1);
                intensities.resize(n + 1);
                bytes.resize(n + 1);
            }
            capacity = n;
            RawReadSpectrum(r, f, 0, static_cast<std::int32_t>(s), 1, &capacity, info,
                            masses.data(), intensities.data(), bytes.data(), 0);
            if (stats) {
                std::uint8_t entry[kStatsRecordSize];
                RawStatsReadEntry(statsFile, static_cast<std::int32_t>(s), entry);
            }
        }
        RawReadFuncEnd(r, f, 0);
        std::uint8_t ee[kEERecordSize];
        RawEERead(r, f, 0, 1, ee);
    }
    std::uint16_t channels = 0;
    if (RawReadAnalogNumber(r, &channels) == kRawOk) {
        for (std::int32_t k = 0; k < channels; ++k) {
            std::uint8_t info[kChannelInfoSize];
            RawReadAnalogInfo(r, k, info);
            std::uint32_t points = 0;
            if (RawReadAnalogSize(r, k, &points) == kRawOk && points <= kMaxPoints) {
                std::vector<std::uint32_t> a(points + 1);
                std::vector<std::uint32_t> b(points + 1);
                RawReadAnalogChrom(r, k, 1, points, b.data(), a.data());
            }
        }
    }
    std::vector<std::uint8_t> processInfo(kProcessInfoSize);
    if (RawReadProcInfo(r, processInfo.data(), nullptr) == kRawOk) {
        const auto count = static_cast<std::size_t>(processInfo[2] | (processInfo[3] << 8));
        std::vector<std::uint8_t> records((count + 2) * kProcessRecordSize);
        RawReadProcInfo(r, processInfo.data(), records.data());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Workspace& workspace = TheWorkspace();
    static rawfuzz::Files files;
    rawfuzz::Unpack(data, size, files);
    for (std::size_t i = 0; i < rawfuzz::kFileCount; ++i) {
        if (files.present[i]) {
            WriteFile(workspace.paths[i], files.bytes[i]);
        } else {
            ::unlink(workspace.paths[i].c_str());
        }
    }
    RawHandle r = 0;
    if (RawReadOpen(workspace.directory.c_str(), &r) == kRawOk) {
        ReadEverything(r);
        RawReadClose(r);
    }
    return 0;
}
