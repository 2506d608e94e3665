#pragma once

#include <cstddef>
#include <string>

#include "params/mass_range_list.h"

// What the reader (the document pass without a sink) made of a file, and, given rules, how it
// stands against them.
struct ReadBack {
    std::size_t spectra = 0;
    std::size_t peaks = 0;
    // The peaks the rules keep: in spectra of a level with rules, those some rule keeps; in the
    // others, all of them. A filtered output holds exactly this many of its input.
    std::size_t peaksTheRulesKeep = 0;
    // The first peak the rules drop, as "spectrum N: m/z X"; empty when there is none.
    std::string droppedPeak;
};

// Reads an mzML or mzXML file the way the import would. False with the reader's message in
// `error`. `rules` may be null.
bool ReadOpenFormatBack(const std::string& path, const params::CMassRangeList* rules,
                        ReadBack& result, std::string& error, bool ignoreChecksums = false);

// Empty when the filter kept its promise on `input` and `output`, given how the reader read
// the input: every spectrum is still there, and exactly the peaks the rules keep. Otherwise
// says what broke.
std::string CheckFilteredOutput(const ReadBack& input, const std::string& output,
                                const params::CMassRangeList& rules);

// Every entry name in `directory`, sorted, each followed by a space.
std::string ListDirectory(const std::string& directory);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
