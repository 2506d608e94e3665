#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mzml/document_pass.h"
#include "params/mass_range_list.h"
#include "tests/support/command_runner.h"

// Checks of a filtered open-format file against its input, shared by the tests of real files
// and of the variations readers meet.

// Every spectrum of `path` as the reader (RunDocumentPass in read mode) hands it over. False
// with `error` when the reader refuses the file (outputs are read with their checksum checked;
// inputs may carry a stale one).
bool ReadAllSpectra(const std::string& path, std::vector<mzml::SpectrumPeaks>& spectra,
                    std::string& error, bool ignoreChecksums);

// What the filter should have done, spectrum by spectrum.
struct ExpectedFilter {
    std::size_t spectra = 0;
    std::uint64_t peaksIn = 0;
    std::uint64_t peaksOut = 0;
    std::vector<std::pair<std::string, std::size_t>> keptPerSpectrum;  // id, peaks left
};

// Reads `input` and `output` and checks, value for value, that the output holds exactly the
// peaks the independent rule keeps in spectra of levels with rules (bit for bit the input's
// values, in order) and every peak elsewhere. Failures are reported through gtest with
// `label` in front. Returns what was expected.
ExpectedFilter ExpectFilteredExactly(const std::string& label, const std::string& input,
                                     const std::string& output,
                                     const params::CMassRangeList& rules);

// The levels that have rules, "1,2" as the masked diff takes them.
std::string RuleLevels(const params::CMassRangeList& rules);

// tests/mzml/masked_diff.py over the pair; its exit status, and what it said in `report`.
int RunMaskedDiff(const std::string& input, const std::string& output,
                  const params::CMassRangeList& rules, std::string& report);

// What OpenMS' FileInfo reports about a file; false (with its output in `report`) when it
// does not read it.
struct FileInfoCounts {
    std::uint64_t spectra = 0;
    std::uint64_t peaks = 0;
};
bool RunFileInfo(const std::string& path, FileInfoCounts& counts, std::string& report);

// Spectrum ids and peak counts as pymzml reads them; false (with why in `report`) when it
// does not read the file.
bool RunPymzml(const std::string& path, std::vector<std::pair<std::string, std::size_t>>& counts,
               std::string& report);

// True when xmllint finds the file valid against the schema (a file under
// /usr/share/openms/SCHEMAS); its complaints in `report`.
bool SchemaValid(const std::string& path, const std::string& schema, std::string& report);

// The tools these checks run, where Debian installs them; false when one is missing.
bool ExternalToolsPresent(std::string& missing);

// The folder of the shared real files, or empty when the tests cannot see it.
std::string SharedDataDir();

// The whole content of a file (gunzipped when it is gzip).
std::string ReadContent(const std::string& path);
