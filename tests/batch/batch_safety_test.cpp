// brevanto-batch under real user habits: second runs over the same folder, one input under
// two spellings, links, trailing slashes, pipes and full disks. Nothing that existed before a
// run may change unless the run was asked to write it, and every failure names the file and
// the reason.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "processing/temporary_output.h"
#include "tests/support/command_runner.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;  // standard output, then standard error
};

// Runs a shell command under a time limit, so that a hang fails the test instead of CI.
Result RunShell(const std::string& command) {
    Result result;
    result.status = RunCommand("timeout 60 " + command, result.out);
    return result;
}

std::string Quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

// Every entry below `dir` with what it holds: file bytes, link targets, "<dir>".
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> tree;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string name = fs::relative(e.path(), dir).string();
        if (e.is_symlink()) {
            tree[name] = "-> " + fs::read_symlink(e.path()).string();
        } else if (e.is_directory()) {
            tree[name] = "<dir>";
        } else if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            tree[name] = std::string(std::istreambuf_iterator<char>(in), {});
        } else {
            tree[name] = "<special>";
        }
    }
    return tree;
}

class BatchSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) /
               ("batch_safety_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override {
        for (const fs::path& m : mounts) {
            umount2(m.c_str(), MNT_DETACH);
        }
        fs::remove_all(root);
    }

    fs::path Synth(const fs::path& path, int seed) {
        const Result r = RunShell(std::string(BREVANTO_RAW) + " synth " + Quoted(path) +
                                  " --functions 2 --scans 4 --peaks 100 --companions 2 --seed " +
                                  std::to_string(seed));
        EXPECT_EQ(r.status, 0) << r.out;
        return path;
    }

    Result Batch(const std::string& args) {
        return RunShell(std::string(BREVANTO_BATCH) + " --rule 1:0:1200:0.3:100:100 " + args);
    }

    // A small file system at `dir`, so that a disk can be filled; false where mounting is
    // not allowed.
    bool MountSmall(const fs::path& dir, const char* size) {
        fs::create_directories(dir);
        const std::string options = std::string("size=") + size;
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            return false;
        }
        mounts.push_back(dir);
        return true;
    }

    fs::path root;
    std::vector<fs::path> mounts;
};

// Regression: "brevanto-batch *.raw" run a second time got x.raw x_BRV.raw and replaced the
// user's x_BRV.raw with x.raw's output, then filtered it as an input.
TEST_F(BatchSafety, SecondRunOverTheSameFolderIsRefusedAndTouchesNothing) {
    Synth(root / "x.raw", 1);
    ASSERT_EQ(Batch("--quiet " + Quoted(root / "x.raw")).status, 0);
    const auto before = Snapshot(root);
    for (const char* jobs : {"", "-j 2 "}) {
        const Result r =
            Batch(std::string(jobs) + Quoted(root / "x.raw") + " " + Quoted(root / "x_BRV.raw"));
        EXPECT_EQ(r.status, 2) << jobs << r.out;
        EXPECT_NE(r.out.find("x_BRV.raw of " + (root / "x.raw").string() + " is also an input"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(Snapshot(root), before) << jobs;
    }
}

// Regression: "-j 2 in.raw ./in.raw" ran two writers on one output.
TEST_F(BatchSafety, OneInputUnderTwoSpellingsIsRefusedBeforeAnythingIsWritten) {
    Synth(root / "in.raw", 2);
    fs::create_directory_symlink(root / "in.raw", root / "alias.raw");
    const auto before = Snapshot(root);
    const std::string spellings[] = {
        "'" + (root / "." / "in.raw").string() + "'",
        "'" + (root / "in.raw").string() + "/'",
        "'" + (root / "alias.raw").string() + "'",
        "'" + (root / "sub" / ".." / "in.raw").string() + "'",
    };
    fs::create_directories(root / "sub");
    for (const std::string& other : spellings) {
        for (const char* jobs : {"", "-j 2 "}) {
            const Result r = Batch(std::string(jobs) + Quoted(root / "in.raw") + " " + other);
            EXPECT_EQ(r.status, 2) << jobs << other << "\n" << r.out;
            EXPECT_NE(r.out.find("is given twice"), std::string::npos) << r.out;
            EXPECT_FALSE(fs::exists(root / "in_BRV.raw")) << jobs << other;
            EXPECT_FALSE(fs::exists(root / "alias_BRV.raw")) << jobs << other;
        }
    }
    fs::remove(root / "sub");
    EXPECT_EQ(Snapshot(root), before);
}

// Regression: an output path that was a link to a directory was written through, replacing
// the library files of the acquisition it pointed at.
TEST_F(BatchSafety, AnOutputThatIsALinkIsRefusedAndNeverFollowed) {
    Synth(root / "a.raw", 3);
    Synth(root / "victim.raw", 4);
    Synth(root / "b.raw", 5);
    fs::create_directory_symlink(root / "victim.raw", root / "a_BRV.raw");
    fs::create_symlink(root / "nowhere.raw", root / "b_BRV.raw");
    const auto before = Snapshot(root);
    for (const char* jobs : {"", "-j 2 "}) {
        const Result r = Batch(std::string("--keep-going ") + jobs + Quoted(root / "a.raw") + " " +
                               Quoted(root / "b.raw"));
        EXPECT_EQ(r.status, 1) << r.out;
        for (const char* output : {"a_BRV.raw", "b_BRV.raw"}) {
            EXPECT_NE(r.out.find((root / output).string() +
                                 " is a symbolic link; an output is never written through a link"),
                      std::string::npos)
                << r.out;
        }
        EXPECT_EQ(Snapshot(root), before) << jobs;
    }
}

TEST_F(BatchSafety, ATrailingSlashNamesTheAcquisitionEverywhere) {
    Synth(root / "t.raw", 6);
    const Result r = Batch(Quoted(root / "t.raw") + "/");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(fs::is_directory(root / "t_BRV.raw"));
    EXPECT_FALSE(fs::exists(root / "t.raw" / "_BRV"));
    for (const char* command : {"verify", "info", "dump"}) {
        const Result tool = RunShell(std::string(BREVANTO_RAW) + " " + command + " " +
                                     Quoted(root / "t_BRV.raw") + "/ >/dev/null");
        EXPECT_EQ(tool.status, 0) << command << ": " << tool.out;
    }
}

// Regression: a pipe in place of a library file blocked every reader in open() for ever.
TEST_F(BatchSafety, APipeOrADirectoryInPlaceOfALibraryFileIsRefusedWithoutHanging) {
    struct Case {
        const char* file;
        bool pipe;  // else a directory
        const char* status;
        const char* kind;
    };
    const Case cases[] = {
        {"brv-header.bin", true, "the file is corrupt", "is a pipe, not a regular file"},
        {"brv-functions.bin", true, "the file is corrupt", "is a pipe, not a regular file"},
        {"brv-f00001-scans.bin", true, "the file is corrupt", "is a pipe, not a regular file"},
        {"brv-manifest.bin", true, "not a raw data file", "is a pipe, not a regular file"},
        {"brv-header.bin", false, "the file is corrupt", "is a directory, not a regular file"},
        {"brv-manifest.bin", false, "not a raw data file", "is a directory, not a regular file"},
    };
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        const fs::path in = Synth(root / ("p" + std::to_string(n) + ".raw"), n);
        const fs::path file = in / c.file;
        fs::remove(file);
        if (c.pipe) {
            ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
        } else {
            fs::create_directory(file);
        }
        const Result r = Batch(Quoted(in));
        EXPECT_EQ(r.status, 1) << c.file << ": " << r.out;
        EXPECT_NE(r.out.find(c.status), std::string::npos) << c.file << ": " << r.out;
        EXPECT_NE(r.out.find(file.string() + ": " + c.kind), std::string::npos)
            << c.file << ": " << r.out;
        const Result verify = RunShell(std::string(BREVANTO_RAW) + " verify " + Quoted(in));
        EXPECT_EQ(verify.status, 1) << c.file;
        EXPECT_NE(verify.out.find(file.string() + ": " + c.kind), std::string::npos) << verify.out;
    }
}

// Regression: permission problems, dangling links, long names and directories all read
// "input/output error ... (disk full, ...)".
TEST_F(BatchSafety, FailureLinesNameTheFileAndTheReason) {
    Synth(root / "ok.raw", 7);
    fs::create_directory_symlink(root / "gone.raw", root / "dangling.raw");
    const std::string longName = std::string(300, 'n') + "/x.raw";
    struct Case {
        std::string input;
        const char* mentions;
    };
    const Case cases[] = {
        {(root / "missing.raw").string(), "missing.raw: no such file or directory"},
        {(root / "dangling.raw").string(),
         "dangling.raw: is a symbolic link to something that does not exist"},
        {(root / longName).string(), std::strerror(ENAMETOOLONG)},
        {(root / "ok.raw" / "brv-header.bin").string(), "brv-header.bin: is not a directory"},
    };
    for (const Case& c : cases) {
        const Result r = Batch("'" + c.input + "'");
        EXPECT_EQ(r.status, 1) << c.input << "\n" << r.out;
        EXPECT_NE(r.out.find("brevanto-batch: " + c.input + ": RawReadOpen failed: "),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find(c.mentions), std::string::npos) << c.mentions << "\n" << r.out;
    }
}

TEST_F(BatchSafety, AReadOnlyFolderOrAFullDiskIsNamedAsSuch) {
    const fs::path readOnly = root / "ro";
    const fs::path full = root / "full";
    if (!MountSmall(readOnly, "4m") || !MountSmall(full, "3m")) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno) << ")";
    }
    Synth(readOnly / "r.raw", 8);
    ASSERT_EQ(mount("tmpfs", readOnly.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=4m"), 0);
    Result r = Batch(Quoted(readOnly / "r.raw"));
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find((readOnly / "r_BRV.raw").string() +
                         ": cannot create the directory: " + std::strerror(EROFS)),
              std::string::npos)
        << r.out;

    // The input fits; its output with a large companion does not.
    Synth(full / "f.raw", 9);
    std::ofstream(full / "f.raw" / "large.dat", std::ios::binary) << std::string(1800000, 'L');
    const auto inputBefore = Snapshot(full / "f.raw");
    r = Batch(Quoted(full / "f.raw"));
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find(std::strerror(ENOSPC)), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("function 1:"), std::string::npos) << "reported as done:\n" << r.out;
    EXPECT_EQ(Snapshot(full / "f.raw"), inputBefore);
    EXPECT_FALSE(fs::exists(full / "f_BRV.raw" / "large.dat"));
    for (const auto& e : fs::directory_iterator(full / "f_BRV.raw")) {
        EXPECT_FALSE(e.path().filename().string().ends_with(".brvtmp")) << e.path();
    }
}

TEST_F(BatchSafety, ARuleThatKeepsNothingIsAcceptedWithAWarning) {
    Synth(root / "w.raw", 10);
    const Result r = RunShell(std::string(BREVANTO_BATCH) + " --rule 1:600:300:0.5:10:10 " +
                              Quoted(root / "w.raw"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("brevanto-batch: warning: rule '1:600:300:0.5:10:10' keeps nothing"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("function 1: 400 peaks read, 0 kept"), std::string::npos) << r.out;
}

// Regression: temporaries left by a killed run stayed for ever.
TEST_F(BatchSafety, TheNextRunRemovesTheTemporariesOfAKilledOne) {
    Synth(root / "k.raw", 11);
    ASSERT_EQ(Batch("--quiet " + Quoted(root / "k.raw")).status, 0);
    const fs::path output = root / "k_BRV.raw";
    const pid_t child = fork();
    if (child == 0) {
        std::ofstream(processing::TemporaryPathFor((output / "notes.txt").string())) << "half";
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    std::ofstream(output / "user.brvtmp") << "the user's";
    const Result r = Batch("--quiet " + Quoted(root / "k.raw"));
    EXPECT_EQ(r.status, 0) << r.out;
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(output)) {
        if (e.path().extension() == ".brvtmp")
            left.push_back(e.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"user.brvtmp"});
}

}  // namespace
