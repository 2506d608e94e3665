#pragma once

#include <string>

#include "mzml/document_pass.h"
#include "mzml/markup_scanner.h"
#include "mzml/output_splicer.h"

namespace mzml {

// How a pass over either format ends once the parser has seen the last byte: the first error
// the pass met wins; then a root element left open means a cut file; then the input's last
// bytes are copied and the write must have held; last, the file's own checksum, when it has
// one (`checksumText` as written, inside the element `checksumElement`), is judged against
// the digest of the bytes it covers. False with `error` set when the file is refused.
struct PassEnd {
    const std::string& passError;
    bool rootClosed;
    bool sawChecksum;
    const std::string& checksumText;
    const char* checksumElement;
};
bool FinishPass(const PassEnd& end, MarkupScanner& scanner, OutputSplicer& out,
                const PassSettings& settings, std::string& error);

}  // namespace mzml
