#pragma once

#include <string>
#include <vector>

// Checks the inputs of a run and their outputs (BatchOutputPath) before anything is written:
// empty when the run may start; otherwise why not, naming the paths: an output of the run is
// also one of its inputs (a second run over "*.raw" finds x_BRV.raw beside x.raw), an input
// is given twice, or two inputs map to one output. Paths are compared by what they are, not
// how they are spelt: "in.raw", "./in.raw", an absolute path and a link to it are one input.
std::string CheckBatchPaths(const std::vector<std::string>& inputs, const std::string& suffix);
