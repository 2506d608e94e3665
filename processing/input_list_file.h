#pragma once

#include <string>
#include <vector>

namespace processing {

// Reads a text file of input paths, one per line, each line exactly as written (no trimming,
// empty lines kept). Lines end in LF or CR LF; a last line without a line end is kept, and a
// final line end adds no empty line; a leading UTF-8 byte-order mark is no part of the first
// line. False when the file cannot be opened or read.
bool ReadInputListFile(const std::string& path, std::vector<std::string>& lines);

// The same for the command line's list and rule files (`what`: "list file", "rules file"),
// which must be plain text: false, with `error` naming the file and saying why, when it cannot
// be read ("cannot read the list file X: <the system's reason>") or holds a NUL or another
// control byte (the line, the column and the byte).
bool ReadTextLines(const std::string& path, const std::string& what,
                   std::vector<std::string>& lines, std::string& error);

}  // namespace processing
