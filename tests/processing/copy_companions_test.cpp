#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "processing/copy_companions.h"
#include "processing/temporary_output.h"
#include "tests/support/file_contents.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

TEST(CopyCompanionFiles, FlatCopyThatNeverOverwrites) {
    const fs::path root =
        fs::path(::testing::TempDir()) / ("companions_" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path in = root / "x.raw";
    const fs::path out = root / "x_BRV.raw";
    fs::create_directories(in / "sub");
    fs::create_directories(out);
    Write(in / "notes.txt", "user notes");
    Write(in / "method.inf", "method");
    Write(in / "shared.dat", "from the input");
    Write(out / "shared.dat", "the library's own");
    Write(in / "sub" / "deep.txt", "below a subdirectory");
    fs::create_directory_symlink(in / "sub", in / "link-to-dir");
    fs::create_symlink(in / "notes.txt", in / "link-to-file");
    ASSERT_EQ(mkfifo((in / "pipe").c_str(), 0600), 0);

    std::string error;
    EXPECT_TRUE(processing::CopyCompanionFiles(in.string(), out.string(), error)) << error;

    EXPECT_EQ(ReadFile(out / "notes.txt"), "user notes");
    EXPECT_EQ(ReadFile(out / "method.inf"), "method");
    EXPECT_EQ(ReadFile(out / "link-to-file"), "user notes");
    EXPECT_EQ(ReadFile(out / "shared.dat"), "the library's own");
    EXPECT_FALSE(fs::exists(out / "sub"));
    EXPECT_FALSE(fs::exists(out / "link-to-dir"));
    EXPECT_FALSE(fs::exists(out / "deep.txt"));
    EXPECT_FALSE(fs::exists(out / "pipe"));

    // An input that cannot be listed is simply left.
    EXPECT_TRUE(
        processing::CopyCompanionFiles((root / "missing.raw").string(), out.string(), error));
    fs::remove_all(root);
}

std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().ends_with(".brvtmp")) {
            found.push_back(e.path().filename().string());
        }
    }
    return found;
}

class Companions : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) /
               ("companions_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        in = root / "x.raw";
        out = root / "x_BRV.raw";
        fs::create_directories(in);
    }
    void TearDown() override {
        if (mounted) {
            umount2(out.c_str(), MNT_DETACH);
        }
        fs::remove_all(root);
    }

    fs::path root, in, out;
    bool mounted = false;
};

// Regression: a full disk left a truncated companion under its final name, and the run
// reported success.
TEST_F(Companions, FullDiskFailsNamesTheFileAndLeavesNoPartialCopy) {
    fs::create_directories(out);
    if (mount("tmpfs", out.c_str(), "tmpfs", 0, "size=1m") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                     << "); the full-disk case needs one";
    }
    mounted = true;
    Write(in / "a-small.txt", "small");
    Write(in / "big.dat", std::string(3 << 20, 'b'));

    std::string error;
    EXPECT_FALSE(processing::CopyCompanionFiles(in.string(), out.string(), error));
    EXPECT_NE(error.find("big.dat"), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(ENOSPC)), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(out / "big.dat"));
    EXPECT_TRUE(Temporaries(out).empty());
    EXPECT_EQ(fs::file_size(in / "big.dat"), std::size_t{3} << 20);
}

TEST_F(Companions, NamesThatExistAreLeftWhateverTheyAre) {
    fs::create_directories(out / "dir.txt");
    Write(in / "dangling.txt", "would be written through the link");
    Write(in / "dir.txt", "a directory holds the name");
    Write(in / "new.txt", "copied");
    fs::create_symlink(root / "nowhere", out / "dangling.txt");

    std::string error;
    EXPECT_TRUE(processing::CopyCompanionFiles(in.string(), out.string(), error)) << error;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(out / "dangling.txt")));
    EXPECT_FALSE(fs::exists(root / "nowhere"));
    EXPECT_TRUE(fs::is_directory(out / "dir.txt"));
    EXPECT_EQ(ReadFile(out / "new.txt"), "copied");
    EXPECT_TRUE(Temporaries(out).empty());
}

// Regression: temporaries of a killed run stayed for ever.
TEST_F(Companions, StaleTemporariesOfAKilledRunAreRemoved) {
    fs::create_directories(out);
    const pid_t child = fork();
    if (child == 0) {
        Write(processing::TemporaryPathFor((out / "notes.txt").string()), "half a copy");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(Temporaries(out).size(), 1u);
    Write(in / "notes.txt", "notes");
    Write(out / ".hidden-but-the-user's.brvtmp", "not a name of ours");

    std::string error;
    EXPECT_TRUE(processing::CopyCompanionFiles(in.string(), out.string(), error)) << error;
    EXPECT_EQ(Temporaries(out), std::vector<std::string>{".hidden-but-the-user's.brvtmp"});
    EXPECT_EQ(ReadFile(out / "notes.txt"), "notes");
}

}  // namespace
