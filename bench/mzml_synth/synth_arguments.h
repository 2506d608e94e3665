#pragma once

#include <string>
#include <vector>

#include "bench/mzml_synth/synth_options.h"

// The command line of brevanto_mzml_synth.

constexpr char kSynthUsage[] =
    "usage: brevanto_mzml_synth [--format mzML|mzXML] [--compression zlib|none] [--gzip]\n"
    "                           [--seed N] [--spectra N | --size-gib X | --small]\n"
    "                           [--zlib-level 1-9] OUTPUT\n"
    "Writes a synthetic LC-MS acquisition (MS1 spectra each followed by 4 to 10 MS2 spectra)\n"
    "as indexed mzML or mzXML. The format and --gzip follow OUTPUT's extension unless given.\n"
    "--small writes 24 spectra; without a size, --small is assumed. zlib arrays are Huffman\n"
    "coded alone unless --zlib-level asks for full deflate; --gzip uses level 1 by default.\n";

// Spectra of --small: two to four cycles, a few hundred kilobytes.
constexpr unsigned kSmallSpectra = 24;

enum class SynthParse { kRun, kHelp, kError };

// Fills `options` from the arguments (without the program name). On kError, `error` says which
// argument is wrong and why.
SynthParse ParseSynthArguments(const std::vector<std::string>& args, SynthOptions& options,
                               std::string& error);
