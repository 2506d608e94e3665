#include "mzml/pass_end.h"

#include "mzml/tag_text.h"

namespace mzml {

bool FinishPass(const PassEnd& end, MarkupScanner& scanner, OutputSplicer& out,
                const PassSettings& settings, std::string& error) {
    if (!end.passError.empty()) {
        error = end.passError;
        return false;
    }
    if (!end.rootClosed) {
        error = "the file ends before its root element does";
        return false;
    }
    out.CopyTo(scanner.Window().End());
    if (out.Failed()) {
        error = "writing the output failed";
        return false;
    }
    if (end.sawChecksum) {
        std::string warning;
        error = JudgeChecksum(end.checksumText, scanner.InputDigest(), end.checksumElement,
                              settings.ignoreChecksums, warning);
        if (!warning.empty() && settings.warn) {
            settings.warn(warning);
        }
        if (!error.empty()) {
            return false;
        }
    }
    return true;
}

}  // namespace mzml
