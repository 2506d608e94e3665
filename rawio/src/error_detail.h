#pragma once

// The detail of a failure, for RawLastErrorDetail: which file, which check, and the operating
// system's reason. Every entry point of raw_api.h opens a call with BeginCall and closes it
// with EndCall; whatever fails in between notes why with NoteFailure. The first note of a
// call is kept, since the lowest layer knows the most (the file and the errno).

#include <string>

#include "rawio/raw_api.h"

namespace rawio {

void BeginCall();
// Publishes the detail of a failed call (or, with no note, the status text) as the thread's
// last failure; a successful call leaves the last failure as it was.
RawStatus EndCall(RawStatus status);

// Notes why the call fails and returns `status`, so that a check reads
// `return NoteFailure(kRawCorrupt, path + ": the header checksum does not match")`.
RawStatus NoteFailure(RawStatus status, const std::string& detail);
// "<path>: <action>: <strerror(error)>".
RawStatus NoteSystemFailure(RawStatus status, const std::string& path, const char* action,
                            int error);

// The thread's last published failure detail ("" when none).
const char* LastFailureDetail();

}  // namespace rawio
