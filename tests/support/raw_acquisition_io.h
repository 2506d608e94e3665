#pragma once

// Acquisitions written and read back through the API, in the sequences the batch run uses.

#include <string>

#include "rawio/raw_api.h"
#include "tests/support/raw_acquisition.h"

namespace rawtest {

// The whole create sequence; on the first failure abandons the handle and returns the status.
RawStatus WriteAcquisition(const std::string& path, const Acquisition& acquisition);
// The whole read sequence of the batch run (EE: record 1 only). Returns the first failure.
// Reuses the header block storage of *acquisition, so sweeps that read thousands of times stay
// fast under the sanitizers.
RawStatus ReadAcquisition(const std::string& path, Acquisition* acquisition);

}  // namespace rawtest
