#pragma once

#include <string>
#include <vector>

// Reads a text file of input paths, one per line, each line exactly as written (no trimming,
// empty lines kept). Lines end in LF or CR LF; a last line without a line end is kept, and a
// final line end adds no empty line. False when the file cannot be opened or read.
bool ReadInputListFile(const std::string& path, std::vector<std::string>& lines);
