#include "tests/mzml/open_format_check.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "tests/mzml/independent_rule.h"

#ifndef BREVANTO_MZML_TEST_SCRIPTS
#error "BREVANTO_MZML_TEST_SCRIPTS must name the folder of masked_diff.py"
#endif

using mzml::PassResult;
using mzml::PassSettings;
using mzml::RunDocumentPass;
using mzml::SpectrumPeaks;

namespace {

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string LevelName(std::int32_t level) {
    return level == 0 ? std::string("no level") : "MS" + std::to_string(level);
}

}  // namespace

bool ReadAllSpectra(const std::string& path, std::vector<SpectrumPeaks>& spectra,
                    std::string& error, bool ignoreChecksums) {
    spectra.clear();
    PassSettings settings;
    settings.ignoreChecksums = ignoreChecksums;
    settings.onSpectrum = [&](const SpectrumPeaks& peaks, std::string&) {
        spectra.push_back(peaks);
        return true;
    };
    PassResult result;
    return RunDocumentPass(path, settings, result, error);
}

ExpectedFilter ExpectFilteredExactly(const std::string& label, const std::string& input,
                                     const std::string& output,
                                     const params::CMassRangeList& rules) {
    ExpectedFilter expected;
    std::vector<SpectrumPeaks> in, out;
    std::string error;
    if (!ReadAllSpectra(input, in, error, true)) {
        ADD_FAILURE() << label << ": the reader refuses the input: " << error;
        return expected;
    }
    // What the independent rule keeps, worked out from the input alone.
    std::vector<SpectrumPeaks> kept;
    for (const SpectrumPeaks& a : in) {
        SpectrumPeaks k;
        k.scan = a.scan;
        const bool filtered = a.scan.msLevel != 0 && LevelHasRules(rules, a.scan.msLevel);
        for (std::size_t i = 0; i < a.mz.size() && i < a.intensity.size(); ++i) {
            if (!filtered || IndependentRulesKeep(rules, a.scan.msLevel, a.mz[i])) {
                k.mz.push_back(a.mz[i]);
                k.intensity.push_back(a.intensity[i]);
            }
        }
        EXPECT_EQ(a.mz.size(), a.intensity.size())
            << label << ", spectrum \"" << a.scan.nativeId << "\": m/z and intensities in";
        expected.peaksIn += a.mz.size();
        expected.peaksOut += k.mz.size();
        expected.keptPerSpectrum.emplace_back(a.scan.nativeId, k.mz.size());
        kept.push_back(std::move(k));
    }
    expected.spectra = in.size();

    if (!ReadAllSpectra(output, out, error, false)) {
        ADD_FAILURE() << label << ": the reader refuses the output: " << error;
        return expected;
    }
    EXPECT_EQ(in.size(), out.size()) << label << ": spectra in and out";
    for (std::size_t s = 0; s < std::min(kept.size(), out.size()); ++s) {
        const SpectrumPeaks& a = kept[s];
        const SpectrumPeaks& b = out[s];
        const std::string where =
            label + ", spectrum \"" + a.scan.nativeId + "\" (" + LevelName(a.scan.msLevel) + ")";
        EXPECT_EQ(a.scan.nativeId, b.scan.nativeId) << where;
        EXPECT_EQ(a.scan.msLevel, b.scan.msLevel) << where;
        if (a.mz.size() != b.mz.size() || a.intensity.size() != b.intensity.size()) {
            ADD_FAILURE() << where << ": " << a.mz.size() << " peaks should be kept, the output "
                          << "holds " << b.mz.size() << " m/z and " << b.intensity.size()
                          << " intensities";
            continue;
        }
        for (std::size_t i = 0; i < a.mz.size(); ++i) {
            if (Bits(a.mz[i]) != Bits(b.mz[i]) || Bits(a.intensity[i]) != Bits(b.intensity[i])) {
                ADD_FAILURE() << where << ", kept peak " << i << ": expected (" << a.mz[i] << ", "
                              << a.intensity[i] << ") bit for bit, the output holds (" << b.mz[i]
                              << ", " << b.intensity[i] << ")";
                break;
            }
        }
    }
    return expected;
}

std::string RuleLevels(const params::CMassRangeList& rules) {
    std::set<std::int32_t> levels;
    for (std::int32_t i = 0; i < rules.GetCount(); ++i) {
        params::CMassRange rule;
        rules.GetEntry(i, rule);
        levels.insert(rule.GetFunction());
    }
    std::string text;
    for (const std::int32_t level : levels) {
        text += (text.empty() ? "" : ",") + std::to_string(level);
    }
    return text;
}

int RunMaskedDiff(const std::string& input, const std::string& output,
                  const params::CMassRangeList& rules, std::string& report) {
    const std::string script = std::string(BREVANTO_MZML_TEST_SCRIPTS) + "/masked_diff.py";
    return RunCommand("/usr/bin/python3 " + ShellQuoted(script) + " " + ShellQuoted(input) + " " +
                          ShellQuoted(output) + " --levels " + RuleLevels(rules) + " --rules " +
                          std::to_string(rules.GetCount()),
                      report);
}

bool RunFileInfo(const std::string& path, FileInfoCounts& counts, std::string& report) {
    if (RunCommand("FileInfo -in " + ShellQuoted(path), report) != 0)
        return false;
    bool spectra = false, peaks = false;
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned long long value = 0;
        if (std::sscanf(line.c_str(), "Number of spectra: %llu", &value) == 1) {
            counts.spectra = value;
            spectra = true;
        } else if (std::sscanf(line.c_str(), "Total number of peaks: %llu", &value) == 1) {
            counts.peaks = value;
            peaks = true;
        }
    }
    return spectra && peaks;
}

bool RunPymzml(const std::string& path, std::vector<std::pair<std::string, std::size_t>>& counts,
               std::string& report) {
    counts.clear();
    const std::string script = std::string(BREVANTO_MZML_TEST_SCRIPTS) + "/pymzml_counts.py";
    if (RunCommand("/usr/bin/python3 " + ShellQuoted(script) + " " + ShellQuoted(path), report) !=
        0) {
        return false;
    }
    std::istringstream lines(report);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t tab = line.rfind('\t');
        if (tab == std::string::npos)
            continue;  // pymzml's own chatter
        counts.emplace_back(line.substr(0, tab), std::stoul(line.substr(tab + 1)));
    }
    return true;
}

bool SchemaValid(const std::string& path, const std::string& schema, std::string& report) {
    return RunCommand("xmllint --noout --schema " +
                          ShellQuoted("/usr/share/openms/SCHEMAS/" + schema) + " " +
                          ShellQuoted(path),
                      report) == 0;
}

bool ExternalToolsPresent(std::string& missing) {
    missing.clear();
    for (const char* tool : {"/usr/bin/FileInfo", "/usr/bin/xmllint", "/usr/bin/python3",
                             "/usr/share/openms/SCHEMAS/mzML_idx_1_10.xsd"}) {
        if (!std::filesystem::exists(tool))
            missing += std::string(missing.empty() ? "" : ", ") + tool;
    }
    std::string ignored;
    if (RunCommand("/usr/bin/python3 -c 'import pymzml'", ignored) != 0) {
        missing += std::string(missing.empty() ? "" : ", ") + "python3-pymzml";
    }
    return missing.empty();
}

std::string SharedDataDir() {
    const char* dir = std::getenv("BREVANTO_SHARED_DATA");
    if (dir == nullptr || !std::filesystem::is_directory(dir))
        return {};
    return dir;
}

std::string ReadContent(const std::string& path) {
    gzFile file = ::gzopen(path.c_str(), "rb");  // reads plain files as they are
    if (file == nullptr)
        return {};
    std::string content;
    char buffer[1 << 16];
    int got;
    while ((got = ::gzread(file, buffer, sizeof buffer)) > 0) {
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::gzclose(file);
    return content;
}
