#include "processing/copy_companions.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

void CopyCompanionFiles(const std::string& inputPath, const std::string& outputPath) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(inputPath), ec);
    if (ec) {
        return;
    }
    const fs::path outputDir(outputPath);
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            return;  // the listing broke off; what is not reached yet is given up
        }
        const fs::directory_entry& entry = *it;
        std::error_code statusError;
        if (!entry.is_regular_file(statusError)) {  // follows links
            continue;
        }
        std::error_code copyError;
        fs::copy_file(entry.path(), outputDir / entry.path().filename(),
                      fs::copy_options::none, copyError);
    }
}
