#include "mzml/byte_source.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/mzml_codecs/codec_test_files.h"

using mzml::ByteSource;

namespace {

// Reads everything in pieces of `piece` bytes; the error, if any, ends up in `error`.
std::string ReadAll(ByteSource& source, std::size_t piece, std::string& error) {
    std::string content;
    std::vector<std::uint8_t> buffer(piece);
    for (;;) {
        const std::ptrdiff_t got = source.Read(buffer.data(), buffer.size(), error);
        if (got <= 0) {
            if (got < 0) {
                EXPECT_FALSE(error.empty());
            }
            return content;
        }
        content.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(got));
    }
}

struct ContentCase {
    const char* name;
    std::string content;
};

std::vector<ContentCase> Contents() {
    return {
        {"empty", ""},
        {"one byte", "x"},
        {"gzip's first magic byte alone", "\x1f"},
        {"small", "<mzML>...</mzML>\n"},
        {"over two chunks", PseudoRandomText((std::size_t{5} << 20) / 2 + 17, 1)},
    };
}

TEST(ByteSource, ReadsPlainAndGzipFilesWhole) {
    ScratchDir dir;
    for (const ContentCase& c : Contents()) {
        for (const bool gzip : {false, true}) {
            const std::string path = dir.Path(gzip ? "file.mzML.gz" : "file.mzML");
            const std::string bytes = gzip ? GzipMember(c.content) : c.content;
            WriteFile(path, bytes);
            for (const std::size_t piece : {std::size_t{1} << 21, std::size_t{4093}}) {
                if (piece == 4093 && c.content.size() > 100'000) {
                    continue;
                }
                std::string error;
                const auto source = ByteSource::Open(path, error);
                ASSERT_TRUE(source) << c.name << ": " << error;
                EXPECT_EQ(source->IsGzip(), gzip) << c.name;
                EXPECT_EQ(source->FileSize(), bytes.size()) << c.name;
                EXPECT_EQ(ReadAll(*source, piece, error), c.content) << c.name << " " << gzip;
                EXPECT_EQ(error, "") << c.name;
                EXPECT_EQ(source->FilePosition(), bytes.size()) << c.name;
                std::uint8_t byte = 0;
                EXPECT_EQ(source->Read(&byte, 1, error), 0) << c.name << ": stays at the end";
            }
        }
    }
}

TEST(ByteSource, GzipIsToldByItsMagicNotItsName) {
    ScratchDir dir;
    const std::string path = dir.Path("looks-plain.mzML");
    WriteFile(path, GzipMember("inside"));
    std::string error;
    const auto source = ByteSource::Open(path, error);
    ASSERT_TRUE(source) << error;
    EXPECT_TRUE(source->IsGzip());
    EXPECT_EQ(ReadAll(*source, 100, error), "inside");
}

TEST(ByteSource, ProgressMovesThroughAGzipFile) {
    ScratchDir dir;
    const std::string path = dir.Path("big.mzML.gz");
    const std::string content = PseudoRandomText(std::size_t{6} << 20, 2);
    WriteFile(path, GzipMember(content));
    std::string error;
    const auto source = ByteSource::Open(path, error);
    ASSERT_TRUE(source) << error;
    std::vector<std::uint8_t> buffer(1 << 16);
    std::uint64_t last = 0;
    bool moved = false;
    while (source->Read(buffer.data(), buffer.size(), error) > 0) {
        EXPECT_GE(source->FilePosition(), last);
        EXPECT_LE(source->FilePosition(), source->FileSize());
        moved =
            moved || (source->FilePosition() > 0 && source->FilePosition() < source->FileSize());
        last = source->FilePosition();
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(last, source->FileSize());
}

TEST(ByteSource, ConcatenatedMembersAreOneStream) {
    ScratchDir dir;
    const std::string path = dir.Path("members.gz");
    const std::string second = PseudoRandomText(300'000, 3);
    WriteFile(path, GzipMember("first part, ") + GzipMember("") + GzipMember(second));
    std::string error;
    const auto source = ByteSource::Open(path, error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(ReadAll(*source, 1000, error), "first part, " + second);
    EXPECT_EQ(error, "");
}

TEST(ByteSource, DamagedGzipIsNamed) {
    const std::string content = PseudoRandomText(200'000, 4);
    const std::string good = GzipMember(content);
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    std::string flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x55);
    std::string badCrc = good;
    badCrc[good.size() - 6] = static_cast<char>(badCrc[good.size() - 6] ^ 1);
    const std::vector<Case> cases = {
        {"magic only", good.substr(0, 2), "the gzip data is truncated"},
        {"header cut", good.substr(0, 7), "the gzip data is truncated"},
        {"half the data", good.substr(0, good.size() / 2), "the gzip data is truncated"},
        {"no trailer", good.substr(0, good.size() - 8), "the gzip data is truncated"},
        {"last byte missing", good.substr(0, good.size() - 1), "the gzip data is truncated"},
        {"second member cut", good + good.substr(0, 100), "the gzip data is truncated"},
        {"flipped byte", flipped, "the gzip data is damaged"},
        {"wrong CRC", badCrc, "the gzip data is damaged"},
        {"garbage after the member", good + "garbage", "the gzip data is damaged"},
        {"zeros after the member", good + std::string(8, '\0'), "the gzip data is damaged"},
        {"wrong method", std::string("\x1f\x8b\x07\x00", 4) + good.substr(4),
         "the gzip data is damaged"},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.Path("bad.gz");
        WriteFile(path, c.bytes);
        std::string error;
        const auto source = ByteSource::Open(path, error);
        ASSERT_TRUE(source) << c.name << ": " << error;
        ReadAll(*source, 1 << 16, error);
        EXPECT_EQ(error, path + ": " + c.reason) << c.name;
        std::string again;
        std::uint8_t byte = 0;
        EXPECT_EQ(source->Read(&byte, 1, again), -1) << c.name << ": the error stays";
        EXPECT_EQ(again, error) << c.name;
    }
}

TEST(ByteSource, RefusesWhatIsNotARegularFile) {
    ScratchDir dir;
    const std::string fifo = dir.Path("pipe.mzML");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string directory = dir.Path("run.mzML");
    std::filesystem::create_directory(directory);
    const std::string missing = dir.Path("missing.mzML");
    struct Case {
        const char* name;
        std::string path;
        std::string error;
    };
    const std::vector<Case> cases = {
        // No writer ever comes: a blocking open would wait forever.
        {"FIFO", fifo, fifo + ": not a regular file"},
        {"directory", directory, directory + ": not a regular file"},
        {"character device", "/dev/null", "/dev/null: not a regular file"},
        {"missing file", missing, missing + ": No such file or directory"},
        {"missing directory", dir.Path("no/such.mzML"),
         dir.Path("no/such.mzML") + ": No such file or directory"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(ByteSource::Open(c.path, error), nullptr) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

// Root reads whatever the mode says, so as root the open runs in a child that has dropped to
// the unprivileged "nobody" (which has no supplementary groups to lift it either).
TEST(ByteSource, PermissionDeniedGivesTheSystemsReason) {
    ScratchDir dir;
    const std::string path = dir.Path("secret.mzML");
    WriteFile(path, "x");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    ASSERT_EQ(::chmod(std::filesystem::path(path).parent_path().c_str(), 0755), 0);
    const std::string expected = path + ": Permission denied";
    if (::geteuid() != 0) {
        std::string error;
        EXPECT_EQ(ByteSource::Open(path, error), nullptr);
        EXPECT_EQ(error, expected);
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(2);
        }
        std::string error;
        const bool refused = ByteSource::Open(path, error) == nullptr;
        ::_exit(refused && error == expected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2) << "could not drop to nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the open was not refused with " << expected;
}

}  // namespace
