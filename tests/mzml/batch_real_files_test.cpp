// brevanto-batch end to end over copies of the shared real files in one folder, under names
// with spaces and non-ASCII bytes, as a user runs it: the outputs are the library's, and a
// second run over the folder's whole listing (outputs included) is refused untouched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "mzml/open_format_filter.h"
#include "params/mass_range.h"
#include "params/rule_text.h"
#include "tests/mzml/open_format_check.h"

#ifndef BREVANTO_BATCH
#error "BREVANTO_BATCH must name the brevanto-batch program"
#endif

namespace fs = std::filesystem;

namespace {

// Shared name -> the name of its copy: spaces, UTF-8, and bytes that are no UTF-8 at all.
const std::pair<const char*, const char*> kCopies[] = {
    {"example.mzML", "Orbitrap run \xc3\xa9t\xc3\xa9 1.mzML"},
    {"example.mzML.gz", "Orbitrap run \xc3\xa9t\xc3\xa9 2.mzML.gz"},
    {"mini.chrom.mzML", "chromatograms \xce\xa9 only.mzML"},
    {"mini_numpress.chrom.mzML", "numpress \xff\xfe bytes.mzML"},
    {"tiny.pwiz.1.1.mzML", "tiny example (1.1).mzML"},
    {"dummyiTRAQ.mzXML", "iTRAQ \xe4\xf6\xfc latin-1.mzXML"},
    {"external_refs.mzML", "external refs 'quoted'.mzML"},
    {"single_ms2_profile.mzML", "single MS2 \xe2\x80\x94 profile.mzML"},
};

struct Snapshot {
    std::map<std::string, std::string> content;
    std::map<std::string, std::int64_t> modified;
};

Snapshot Take(const fs::path& dir) {
    Snapshot snapshot;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        std::ifstream in(entry.path(), std::ios::binary);
        snapshot.content[name] = std::string(std::istreambuf_iterator<char>(in), {});
        struct stat st {};
        ::stat(entry.path().c_str(), &st);
        snapshot.modified[name] =
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return snapshot;
}

TEST(BatchOnRealFiles, FiltersEveryFileAndRefusesASecondRunOverItsOutputs) {
    const std::string data = SharedDataDir();
    if (data.empty())
        GTEST_SKIP() << "no shared real files (BREVANTO_SHARED_DATA)";
    const fs::path dir =
        fs::path(::testing::TempDir()) / ("mzml_batch_real_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::pair<std::string, std::string>> copies;  // shared path, copy path
    for (const auto& [shared, copy] : kCopies) {
        const fs::path from = fs::path(data) / shared;
        if (!fs::exists(from)) {
            std::printf("%s is not in the shared data; left out\n", shared);
            continue;
        }
        fs::copy_file(from, dir / copy);
        copies.emplace_back(from.string(), (dir / copy).string());
    }
    ASSERT_FALSE(copies.empty());

    const std::vector<params::CMassRange> rules = {
        params::MakeMassRange(1, 0, 100000, 0.3, 200, 200),
        params::MakeMassRange(2, 0, 100000, 0.6, 150, 150),
        params::MakeMassRange(2, 110, 120, 0.1, 50, 50)};
    params::CMassRangeList list;
    std::string command = std::string(BREVANTO_BATCH) + " --ignore-checksums";
    for (const params::CMassRange& rule : rules) {
        list.AddEntry(rule);
        command += " --rule " + params::FormatRule(rule);
    }
    std::string inputs;
    for (const auto& [shared, copy] : copies)
        inputs += " " + ShellQuoted(copy);

    std::string report;
    ASSERT_EQ(RunCommand(command + inputs, report), 0) << report;
    for (const auto& [shared, copy] : copies) {
        const std::string output = mzml::OpenFormatOutputPath(copy, "_BRV");
        ASSERT_TRUE(fs::exists(output)) << output << " was not written:\n" << report;
        // The same bytes as the library gives for the shared file itself.
        const fs::path reference = dir.parent_path() / ("reference_" + std::to_string(::getpid()) +
                                                        fs::path(output).extension().string());
        processing::FileRunSummary summary;
        std::string error;
        mzml::OpenFormatOptions options;
        options.ignoreChecksums = true;
        ASSERT_TRUE(mzml::FilterOpenFormatFile(shared, reference.string(), list, nullptr, summary,
                                               error, options))
            << error;
        EXPECT_TRUE(ReadContent(output) == ReadContent(reference.string()))
            << output << " differs from the library's output for " << shared;
        fs::remove(reference);
        ExpectFilteredExactly(copy, copy, output, list);
    }

    // A second run over everything the folder holds now takes x_BRV.mzML for an input.
    const Snapshot before = Take(dir);
    std::string everything;
    for (const auto& [name, content] : before.content) {
        everything += " " + ShellQuoted((dir / name).string());
    }
    EXPECT_EQ(RunCommand(command + everything, report), 2) << report;
    EXPECT_NE(report.find("_BRV"), std::string::npos) << report;
    const Snapshot after = Take(dir);
    EXPECT_TRUE(after.content == before.content) << "the refused run changed the folder";
    EXPECT_TRUE(after.modified == before.modified) << "the refused run touched a file";
    fs::remove_all(dir);
}

}  // namespace
