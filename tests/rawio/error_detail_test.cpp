#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "rawio/raw_api.h"
#include "tests/support/file_contents.h"
#include "tests/support/raw_acquisition.h"
#include "tests/support/raw_acquisition_io.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

rawtest::AcquisitionShape SmallOptions() {
    rawtest::AcquisitionShape options;
    options.functions = 2;
    options.scansPerFunction = 2;
    options.maxPeaks = 4;
    options.channels = 1;
    options.analogPoints = 2;
    options.historyRecords = 1;
    return options;
}

TEST(RawLastErrorDetail, IsTheLastFailureOfTheCallingThread) {
    std::string fresh = "unset";
    std::thread([&] { fresh = RawLastErrorDetail(); }).join();
    EXPECT_EQ(fresh, "");

    ScratchDir dir{ScratchDir::Backing::kMemory};
    RawHandle handle = 0;
    ASSERT_EQ(RawReadOpen((dir / "none.raw").c_str(), &handle), kRawNotFound);
    const std::string missing = dir / "none.raw" + ": no such file or directory";
    EXPECT_EQ(std::string(RawLastErrorDetail()), missing);

    // A success leaves it; another thread's failure is that thread's.
    ASSERT_EQ(rawtest::WriteAcquisition(dir / "ok.raw", rawtest::MakeAcquisition(SmallOptions())),
              kRawOk);
    EXPECT_EQ(std::string(RawLastErrorDetail()), missing);
    std::string other;
    std::thread([&] {
        RawHandle h = 0;
        RawReadOpen((dir / "ok.raw" + "/brv-header.bin").c_str(), &h);
        other = RawLastErrorDetail();
    }).join();
    EXPECT_EQ(other, dir / "ok.raw" + "/brv-header.bin: is not a directory");
    EXPECT_EQ(std::string(RawLastErrorDetail()), missing);

    // With nothing more to say, the detail is the status text.
    EXPECT_EQ(RawReadClose(12345), kRawBadHandle);
    EXPECT_EQ(std::string(RawLastErrorDetail()), RawStatusText(kRawBadHandle));
}

// Reads the acquisition in a child process that an alarm ends if the read blocks; gives the
// child's exit code (the status), or -1 when it did not end by itself.
int ReadInChild(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);
        rawtest::Acquisition read;
        _exit(rawtest::ReadAcquisition(path, &read));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Regression: a pipe in place of a library file blocked every reader in open() for ever.
TEST(LibraryFiles, AnythingButARegularFileIsRefusedWithoutBlocking) {
    struct Case {
        const char* name;
        bool pipe;  // else a directory
        RawStatus status;
    };
    const Case cases[] = {
        {"brv-manifest.bin", true, kRawNotRawFile},  {"brv-header.bin", true, kRawCorrupt},
        {"brv-functions.bin", true, kRawCorrupt},    {"brv-f00002-scans.bin", true, kRawCorrupt},
        {"brv-f00001-stats.bin", true, kRawCorrupt}, {"brv-f00001-ee.bin", true, kRawCorrupt},
        {"brv-analog.bin", true, kRawCorrupt},       {"brv-history.bin", true, kRawCorrupt},
        {"brv-manifest.bin", false, kRawNotRawFile}, {"brv-f00001-scans.bin", false, kRawCorrupt},
    };
    for (const Case& c : cases) {
        ScratchDir dir{ScratchDir::Backing::kMemory};
        const std::string path = dir / "p.raw";
        ASSERT_EQ(rawtest::WriteAcquisition(path, rawtest::MakeAcquisition(SmallOptions())),
                  kRawOk);
        const std::string file = path + "/" + c.name;
        ASSERT_TRUE(fs::remove(file)) << c.name;
        if (c.pipe) {
            ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
        } else {
            fs::create_directory(file);
        }
        EXPECT_EQ(ReadInChild(path), c.status) << c.name << (c.pipe ? " (pipe)" : " (directory)");
        rawtest::Acquisition read;
        if (ReadInChild(path) == c.status) {
            EXPECT_EQ(rawtest::ReadAcquisition(path, &read), c.status);
            EXPECT_EQ(
                std::string(RawLastErrorDetail()),
                file + (c.pipe ? ": is a pipe" : ": is a directory") + ", not a regular file");
        }
    }
}

// Regression: an output path that was a link to a directory was written through.
TEST(CreateOpen, AnOutputPathThatIsALinkOrAFileIsRefusedAndLeft) {
    ScratchDir dir{ScratchDir::Backing::kMemory};
    const std::string victim = dir / "victim.raw";
    ASSERT_EQ(rawtest::WriteAcquisition(victim, rawtest::MakeAcquisition(SmallOptions())), kRawOk);
    std::ofstream(dir / "plain.raw") << "a user's file";
    fs::create_directory_symlink(victim, dir / "link.raw");
    fs::create_symlink(dir / "nowhere.raw", dir / "dangling.raw");
    struct Case {
        const char* name;
        const char* detail;
    };
    const Case cases[] = {
        {"link.raw", ": is a symbolic link; an output is never written through a link"},
        {"dangling.raw", ": is a symbolic link; an output is never written through a link"},
        {"plain.raw", ": exists and is not a directory"},
    };
    const auto before = ListNames(victim);
    for (const Case& c : cases) {
        RawHandle handle = 0;
        EXPECT_EQ(RawCreateOpen((dir / c.name).c_str(), &handle), kRawPathNotDirectory) << c.name;
        EXPECT_EQ(std::string(RawLastErrorDetail()), dir / c.name + c.detail);
        EXPECT_EQ(RawCreateOpen((dir / c.name + "/").c_str(), &handle), kRawPathNotDirectory)
            << c.name << "/";
    }
    EXPECT_EQ(ListNames(victim), before);
    EXPECT_FALSE(fs::exists(dir / "nowhere.raw"));
    rawtest::Acquisition read;
    EXPECT_EQ(rawtest::ReadAcquisition(victim, &read), kRawOk);
}

}  // namespace
