#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mzml/raw_conversion.h"
#include "rawsynth/synth_acquisition.h"
#include "tests/mzml_export/export_cases.h"
#include "tests/mzml_export/raw_acquisitions.h"

namespace fs = std::filesystem;

namespace {

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

rawsynth::SynthOptions SmallAcquisition() {
    rawsynth::SynthOptions options;
    options.functions = 2;
    options.scans = 3;
    options.peaks = 10;
    return options;
}

// An output that is a few hundred kilobytes of text.
rawsynth::SynthOptions LargerAcquisition() {
    rawsynth::SynthOptions options;
    options.functions = 2;
    options.scans = 40;
    options.peaks = 500;
    return options;
}

struct RefusalCase {
    const char* what;
    // Prepares the scratch directory; returns {input, output, the file the message names}.
    std::function<std::array<std::string, 3>(const ScratchDir&)> prepare;
};

TEST(ExportFailureTest, RefusalsNameTheFileAndLeaveEverythingAsItWas) {
    const auto synth = [](const std::string& path) {
        EXPECT_EQ(rawsynth::SynthesizeAcquisition(path, SmallAcquisition()), kRawOk);
    };
    const RefusalCase cases[] = {
        {"missing input",
         [](const ScratchDir& s) {
             return std::array{s.Path("none.raw"), s.Path("out.mzML"), s.Path("none.raw")};
         }},
        {"input not a raw data file",
         [](const ScratchDir& s) {
             fs::create_directory(s.Path("empty.raw"));
             return std::array{s.Path("empty.raw"), s.Path("out.mzML"), s.Path("empty.raw")};
         }},
        {"output is a directory",
         [&](const ScratchDir& s) {
             synth(s.Path("in.raw"));
             fs::create_directory(s.Path("out.mzML"));
             return std::array{s.Path("in.raw"), s.Path("out.mzML"), s.Path("out.mzML")};
         }},
        {"output is a symbolic link",
         [&](const ScratchDir& s) {
             synth(s.Path("in.raw"));
             WriteText(s.Path("target"), "kept");
             fs::create_symlink(s.Path("target"), s.Path("out.mzML"));
             return std::array{s.Path("in.raw"), s.Path("out.mzML"), s.Path("out.mzML")};
         }},
        {"output is the input",
         [&](const ScratchDir& s) {
             synth(s.Path("in.raw"));
             return std::array{s.Path("in.raw"), s.Path("in.raw"), s.Path("in.raw")};
         }},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        const auto [input, output, named] = c.prepare(scratch);
        const auto before = ListNames(scratch.Path());
        std::string error;
        EXPECT_FALSE(mzml::ExportMzml(input, output, error));
        EXPECT_TRUE(StartsWith(error, named + ": ")) << error;
        EXPECT_EQ(ListNames(scratch.Path()), before);
        if (fs::exists(scratch.Path("target"))) {
            EXPECT_EQ(ReadFile(scratch.Path("target")), "kept");
        }
    }
}

TEST(ExportFailureTest, DamagedScansNameTheInputAndLeaveNoOutput) {
    ScratchDir scratch;
    const std::string input = scratch.Path("in.raw");
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(input, SmallAcquisition()), kRawOk);
    bool damaged = false;
    for (const auto& entry : fs::directory_iterator(input)) {
        const std::string name = entry.path().filename().string();
        if (name.find("scans") != std::string::npos) {
            std::fstream file(entry.path(), std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(fs::file_size(entry.path()) / 2));
            file.put('\x5A');
            damaged = true;
        }
    }
    ASSERT_TRUE(damaged) << "no scan file found in " << input;
    WriteText(scratch.Path("out.mzML"), "old");
    std::string error;
    EXPECT_FALSE(mzml::ExportMzml(input, scratch.Path("out.mzML"), error));
    EXPECT_TRUE(StartsWith(error, input + ": ")) << error;
    EXPECT_EQ(ReadFile(scratch.Path("out.mzML")), "old");
    EXPECT_EQ(ListNames(scratch.Path()), (std::vector<std::string>{"in.raw", "out.mzML"}));
}

// Exports with the process's file size limit set to `limit` bytes (the limit makes the
// system refuse writes past it, as a full disk does).
bool ExportWithSizeLimit(const std::string& input, const std::string& output, rlim_t limit,
                         std::string& error) {
    rlimit saved{};
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    // Without this the limit ends the process instead of failing the write.
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = limit;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool ok = mzml::ExportMzml(input, output, error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    return ok;
}

// A write the system refuses at any point (the first byte, around the sink's buffer size,
// the last byte) gives its reason and leaves the old output alone; the exact size succeeds.
TEST(ExportFailureTest, WritesCutAnywhereGiveTheSystemsReason) {
    ScratchDir scratch;
    const std::string input = scratch.Path("in.raw");
    const std::string output = scratch.Path("out.mzML");
    rawsynth::SynthOptions options = LargerAcquisition();
    options.scans = 120;  // more than two of the sink's 1 MiB buffers
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(input, options), kRawOk);
    std::string error;
    ASSERT_TRUE(mzml::ExportMzml(input, output, error)) << error;
    const auto size = static_cast<rlim_t>(fs::file_size(output));
    ASSERT_GT(size, rlim_t{2} << 20);
    const rlim_t mebibyte = rlim_t{1} << 20;
    for (const rlim_t limit : {rlim_t{0}, rlim_t{1}, mebibyte - 1, mebibyte, mebibyte + 1,
                               2 * mebibyte + 100, size - 1}) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        WriteText(output, "old");
        error.clear();
        EXPECT_FALSE(ExportWithSizeLimit(input, output, limit, error));
        EXPECT_EQ(error, output + ": File too large");
        EXPECT_EQ(ReadFile(output), "old");
        EXPECT_EQ(ListNames(scratch.Path()), (std::vector<std::string>{"in.raw", "out.mzML"}));
    }
    error.clear();
    EXPECT_TRUE(ExportWithSizeLimit(input, output, size, error)) << error;
    EXPECT_EQ(fs::file_size(output), size);
}

TEST(ExportFailureTest, FullDiskGivesTheSystemsReason) {
    ScratchDir scratch;
    const std::string input = scratch.Path("in.raw");
    const std::string disk = scratch.Path("disk");
    ASSERT_EQ(rawsynth::SynthesizeAcquisition(input, LargerAcquisition()), kRawOk);
    fs::create_directory(disk);
    if (::geteuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=128k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    const std::string output = disk + "/out.mzML";
    WriteText(output, "old");
    std::string error;
    const bool ok = mzml::ExportMzml(input, output, error);
    const auto names = ListNames(disk);
    const std::string kept = ReadFile(output);
    ::umount2(disk.c_str(), MNT_DETACH);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, output + ": No space left on device");
    EXPECT_EQ(kept, "old");
    EXPECT_EQ(names, (std::vector<std::string>{"out.mzML"}));
}

}  // namespace
