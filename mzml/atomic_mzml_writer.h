#pragma once

#include <string>

#include <pwiz/data/msdata/BinaryDataEncoder.hpp>
#include <pwiz/data/msdata/MSData.hpp>

// Writes `msd` as indexed mzML to `output` so that `output` appears only complete: the file is
// written under a temporary name in the output's directory, flushed to disk and renamed over
// `output` at the end. On any failure (including an exception out of a spectrum list while
// the file is written) the temporary is removed, `output` is left as it was, and `error`
// receives "<output>: <what>" or, for a failure reading the input, "<input>: <what>".
bool WriteMzmlAtomically(const pwiz::msdata::MSData& msd,
                         const pwiz::msdata::BinaryDataEncoder::Config& encoding,
                         const std::string& input, const std::string& output, std::string& error);
