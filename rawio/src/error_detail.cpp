#include "error_detail.h"

#include <cstring>

namespace rawio {
namespace {

thread_local std::string pending;
thread_local bool noted = false;
thread_local std::string published;

}  // namespace

void BeginCall() {
    pending.clear();
    noted = false;
}

RawStatus EndCall(RawStatus status) {
    if (status == kRawOk) {
        return status;
    }
    published = noted ? pending : std::string(RawStatusText(status));
    return status;
}

RawStatus NoteFailure(RawStatus status, const std::string& detail) {
    if (!noted) {
        pending = detail;
        noted = true;
    }
    return status;
}

RawStatus NoteSystemFailure(RawStatus status, const std::string& path, const char* action,
                            int error) {
    return NoteFailure(status, path + ": " + action + ": " + std::strerror(error));
}

const char* LastFailureDetail() {
    return published.c_str();
}

}  // namespace rawio
