#pragma once

#include <string>

namespace processing {

// Copies the plain files of the input raw data directory into the output directory under the
// same names, never replacing an entry that exists there (such as the library's own files of
// the output): such a name is skipped. The copy is flat: directories, links to directories
// and everything below them are skipped, and so are entries that are not regular files (a
// pipe would block the run). An input that cannot be listed at all has nothing to copy.
//
// Each file is copied to a temporary name in the output directory, flushed, and renamed to
// its own name only if that name is still free, so a name never holds a partial copy, even
// after a full disk or a kill. A copy that fails removes its temporary and makes the whole
// call fail, with `error` naming the file and the reason.
bool CopyCompanionFiles(const std::string& inputPath, const std::string& outputPath,
                        std::string& error);

}  // namespace processing
