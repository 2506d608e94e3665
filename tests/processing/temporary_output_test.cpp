#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "processing/temporary_output.h"

using processing::RegisterTemporary;
using processing::RemoveStaleTemporaries;
using processing::TemporaryPathFor;
using processing::UnregisterTemporary;

namespace fs = std::filesystem;

namespace {

class TemporaryOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::path(::testing::TempDir()) /
               ("temporaries_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    static void Touch(const fs::path& p) { std::ofstream(p) << "partial"; }

    // A process number that surely runs no more: a child that has been waited for.
    static pid_t DeadPid() {
        const pid_t child = fork();
        if (child == 0) {
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return child;
    }

    fs::path root;
};

TEST_F(TemporaryOutput, NamesAreShortHiddenUniqueAndBesideTheFinalPath) {
    const std::string longest = (root / (std::string(251, 'n') + ".raw")).string();
    const std::string names[] = {(root / "x_BRV.mzML").string(), longest, "x_BRV.raw"};
    std::set<std::string> seen;
    for (const std::string& finalPath : names) {
        for (int i = 0; i < 3; ++i) {
            const fs::path temporary = TemporaryPathFor(finalPath);
            EXPECT_EQ(temporary.parent_path(), fs::path(finalPath).parent_path()) << finalPath;
            const std::string name = temporary.filename().string();
            EXPECT_EQ(name.front(), '.') << name;
            EXPECT_LE(name.size(), 64u) << name;
            EXPECT_TRUE(name.ends_with(".brvtmp")) << name;
            EXPECT_TRUE(seen.insert(temporary.string()).second) << "repeated: " << name;
        }
    }
    // Every temporary of one output shares the part before the process number.
    const std::string a = fs::path(TemporaryPathFor(names[0])).filename().string();
    const std::string b = fs::path(TemporaryPathFor(names[0])).filename().string();
    const std::string other = fs::path(TemporaryPathFor(longest)).filename().string();
    EXPECT_EQ(a.substr(0, 18), b.substr(0, 18));
    EXPECT_NE(a.substr(0, 18), other.substr(0, 18));
    // The longest legal final name still leaves room to create its temporary.
    Touch(TemporaryPathFor(longest));
}

TEST_F(TemporaryOutput, StaleTemporariesOfDeadWritersAreRemovedAndNothingElse) {
    const std::string finalPath = (root / "x_BRV.mzML").string();
    const std::string mine = TemporaryPathFor(finalPath);
    const std::string prefix = fs::path(mine).filename().string().substr(0, 18);
    const pid_t dead = DeadPid();
    const fs::path deadFile = root / (prefix + std::to_string(dead) + "-0.brvtmp");
    const fs::path deadTree = root / (prefix + std::to_string(dead) + "-1.brvtmp");
    const fs::path living = root / (prefix + std::to_string(getppid()) + "-0.brvtmp");
    const fs::path otherOutput =
        fs::path(TemporaryPathFor((root / "y_BRV.mzML").string())).filename();
    const fs::path otherDead =
        root / (otherOutput.string().substr(0, 18) + std::to_string(dead) + "-0.brvtmp");
    const fs::path lookalike = root / (prefix + "12x-0.brvtmp");
    for (const fs::path& p : {fs::path(mine), deadFile, living, otherDead, lookalike}) {
        Touch(p);
    }
    fs::create_directories(deadTree / "sub");
    Touch(deadTree / "brv-header.bin");
    Touch(deadTree / "sub" / "deep");
    Touch(root / "x_BRV.mzML");

    RemoveStaleTemporaries(finalPath);

    EXPECT_FALSE(fs::exists(deadFile));
    EXPECT_FALSE(fs::exists(deadTree));
    for (const fs::path& kept :
         {fs::path(mine), living, otherDead, lookalike, root / "x_BRV.mzML"}) {
        EXPECT_TRUE(fs::exists(kept)) << kept;
    }
}

TEST_F(TemporaryOutput, EndingSignalsRemoveRegisteredTemporariesAndStillEndTheProcess) {
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        const fs::path file = root / ("file-" + std::to_string(signalNumber));
        const fs::path tree = root / ("tree-" + std::to_string(signalNumber));
        const fs::path handedOver = root / ("renamed-" + std::to_string(signalNumber));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Touch(file);
            fs::create_directories(tree / "inner");
            Touch(tree / "a.bin");
            Touch(tree / "inner" / "b.bin");
            Touch(handedOver);
            RegisterTemporary(file.string());
            RegisterTemporary(tree.string());
            RegisterTemporary(handedOver.string());
            UnregisterTemporary(handedOver.string());
            raise(signalNumber);
            _exit(0);  // not reached: the signal ends the process
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status)) << "signal " << signalNumber;
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_FALSE(fs::exists(file)) << "signal " << signalNumber;
        EXPECT_FALSE(fs::exists(tree)) << "signal " << signalNumber;
        EXPECT_TRUE(fs::exists(handedOver)) << "signal " << signalNumber;
    }
}

}  // namespace
