#include "processing/run_report.h"

namespace processing {

std::string RunFailure::Describe() const {
    std::string message = input.empty() ? std::string("(empty path)") : input;
    message += ": " + operation;
    if (!where.empty()) {
        message += " (" + where + ")";
    }
    message += " failed: " + text;
    if (!detail.empty() && detail != text) {
        message += "; " + detail;
    }
    return message;
}

}  // namespace processing
