#pragma once

#include <string>

// Copies the plain files of the input raw data directory into the output directory under the
// same names, never replacing an entry that exists there (such as the library's own files of
// the output). The copy is flat: directories, links to directories and everything below them
// are skipped, and so are entries that are not regular files (a pipe would block the run).
// Nothing here can fail the run: an input that cannot be listed, or a file that cannot be
// copied, is left.
void CopyCompanionFiles(const std::string& inputPath, const std::string& outputPath);
