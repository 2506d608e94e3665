#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "processing/copy_companions.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CopyCompanionFiles, FlatCopyThatNeverOverwrites) {
    const fs::path root = fs::path(::testing::TempDir()) / ("companions_" + std::to_string(getpid()));
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

    CopyCompanionFiles(in.string(), out.string());

    EXPECT_EQ(Read(out / "notes.txt"), "user notes");
    EXPECT_EQ(Read(out / "method.inf"), "method");
    EXPECT_EQ(Read(out / "link-to-file"), "user notes");
    EXPECT_EQ(Read(out / "shared.dat"), "the library's own");
    EXPECT_FALSE(fs::exists(out / "sub"));
    EXPECT_FALSE(fs::exists(out / "link-to-dir"));
    EXPECT_FALSE(fs::exists(out / "deep.txt"));
    EXPECT_FALSE(fs::exists(out / "pipe"));

    // An input that cannot be listed is simply left.
    CopyCompanionFiles((root / "missing.raw").string(), out.string());
    fs::remove_all(root);
}

}  // namespace
