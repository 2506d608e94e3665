// Every real sample file, cut short and with single bits flipped at many offsets: the filter
// never crashes or hangs, and either refuses the file by name, leaving nothing behind, or
// writes an output that holds every spectrum and exactly the peaks the rules keep. The reader
// itself must survive every variant.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "mzml/document_pass.h"
#include "mzml/open_format_filter.h"
#include "tests/mzml/hostile_documents.h"
#include "tests/mzml/open_format_read_back.h"

namespace fs = std::filesystem;

namespace {

// Offsets spread over the file for a large one; every one for a small one.
// BREVANTO_SWEEP_OFFSETS sets another number for a deeper run by hand.
constexpr std::size_t kDefaultSpreadOffsets = 150;
constexpr std::size_t kTailOffsets = 64;
// A single pass over one of these small files that takes longer than this is taken to hang.
constexpr auto kSlowPass = std::chrono::seconds(20);

std::string SharedData() {
    const char* dir = std::getenv("BREVANTO_SHARED_DATA");
    return dir != nullptr ? dir : "";
}

std::size_t SpreadOffsets() {
    const char* wanted = std::getenv("BREVANTO_SWEEP_OFFSETS");
    return wanted != nullptr ? std::strtoull(wanted, nullptr, 10) : kDefaultSpreadOffsets;
}

std::vector<std::size_t> SampleOffsets(std::size_t size) {
    const std::size_t kSpreadOffsets = SpreadOffsets();
    std::vector<std::size_t> offsets;
    if (kSpreadOffsets == 0 || size <= kSpreadOffsets + kTailOffsets) {
        for (std::size_t i = 0; i < size; ++i)
            offsets.push_back(i);
        return offsets;
    }
    // An odd stride keeps the samples from lining up with the period of indented lines.
    for (std::size_t i = 0; i < kSpreadOffsets; ++i)
        offsets.push_back(i * size / kSpreadOffsets | 1);
    for (std::size_t i = size - kTailOffsets; i < size; ++i)
        offsets.push_back(i);
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

class CorruptionSweep : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        if (SharedData().empty() || !fs::exists(fs::path(SharedData()) / GetParam())) {
            GTEST_SKIP() << "the shared sample " << GetParam() << " is not there";
        }
        original_ = ReadWholeFile((fs::path(SharedData()) / GetParam()).string());
        // A RAM disk when there is one: every filtered variant is flushed to disk.
        std::error_code absent;
        const fs::path base =
            fs::is_directory("/dev/shm", absent) ? fs::path("/dev/shm") : fs::temp_directory_path();
        dir_ = base / ("brevanto-sweep-" + std::to_string(::getpid()) + "-" + GetParam());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        input_ = (dir_ / GetParam()).string();
        output_ = mzml::OpenFormatOutputPath(input_, "_BRV");
    }
    void TearDown() override {
        for (const std::string& what : tookWhatTheReaderRefuses_) {
            std::printf("note: the filter took what the reader refuses: %s\n", what.c_str());
        }
        std::error_code ignored;
        if (!dir_.empty())
            fs::remove_all(dir_, ignored);
    }

    // One damaged variant through the reader and the filter; `what` says which variant.
    void Check(const std::string& bytes, const std::string& what) {
        WriteWholeFile(input_, bytes);
        const auto start = std::chrono::steady_clock::now();
        ReadBack read;
        std::string readError;
        const bool readable =
            ReadOpenFormatBack(input_, &hostile::TestRules(), read, readError, true);
        if (!readable) {
            EXPECT_NE(readError.find(input_), std::string::npos) << what << ": " << readError;
        }
        processing::FileRunSummary summary;
        std::string error;
        mzml::OpenFormatOptions options;
        // Past the checksum, so that damage reaches the code behind it.
        options.ignoreChecksums = true;
        const bool ok = mzml::FilterOpenFormatFile(input_, output_, hostile::TestRules(), nullptr,
                                                   summary, error, options);
        if (ok && readable) {
            EXPECT_EQ(CheckFilteredOutput(read, output_, hostile::TestRules()), "") << what;
        } else if (ok) {
            // The filter leaves spectra of levels without rules as they are, so it may take a
            // file whose damage only the reader, which decodes every spectrum, finds.
            tookWhatTheReaderRefuses_.push_back(what);
        } else {
            EXPECT_NE(error.find(input_), std::string::npos)
                << what << ": the message does not name the file: " << error;
            EXPECT_EQ(ListDirectory(dir_.string()), fs::path(input_).filename().string() + " ")
                << what << ": something was left behind after: " << error;
        }
        std::error_code gone;
        fs::remove(output_, gone);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kSlowPass) << what << " is slow";
    }

    std::vector<std::string> tookWhatTheReaderRefuses_;
    std::string original_;
    fs::path dir_;
    std::string input_;
    std::string output_;
};

TEST_P(CorruptionSweep, CutShortAnywhere) {
    for (const std::size_t at : SampleOffsets(original_.size())) {
        if (at == 0)
            continue;  // the empty file has its own case
        Check(original_.substr(0, at), std::string(GetParam()) + " cut at " + std::to_string(at));
        if (HasFailure())
            return;
    }
}

TEST_P(CorruptionSweep, OneBitFlippedAnywhere) {
    for (const std::size_t at : SampleOffsets(original_.size())) {
        std::string bytes = original_;
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << (at % 8)));
        Check(bytes, std::string(GetParam()) + " with a bit flipped at " + std::to_string(at));
        if (HasFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(SharedSamples, CorruptionSweep,
                         ::testing::Values("tiny.pwiz.1.1.mzML", "example.mzML", "example.mzML.gz",
                                           "mini.chrom.mzML", "mini_numpress.chrom.mzML",
                                           "dummyiTRAQ.mzXML", "external_refs.mzML",
                                           "single_ms2_profile.mzML"),
                         [](const auto& param) {
                             std::string name = param.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

}  // namespace
