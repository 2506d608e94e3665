#pragma once

#include <string>

#include <pwiz/data/msdata/MSData.hpp>

#include "params/mass_range_list.h"

// The entries that make a file say what Brevanto did to it.

// The file's software entry for Brevanto (id "Brevanto"), added once.
pwiz::msdata::SoftwarePtr AddBrevantoSoftware(pwiz::msdata::MSData& msd);

// The data processing of filtered spectra: the input's default processing of its spectra (if
// any), then one "data filtering" step by Brevanto listing every rule as a user parameter
// "Brevanto rule" = "FUNCTION:LOW:HIGH:DEFECT:ABOVE:BELOW", with function meaning MS level.
// Its id is new, so the input's own entry stays as it was for what still refers to it.
pwiz::msdata::DataProcessingPtr FilterProcessing(
    const boost::shared_ptr<const pwiz::msdata::DataProcessing>& inputProcessing,
    const pwiz::msdata::SoftwarePtr& software, const CMassRangeList& rules);

// A one-step data processing by Brevanto, e.g. for a conversion: `id` and the step's
// user parameter "Brevanto conversion" = `what`.
pwiz::msdata::DataProcessingPtr ConversionProcessing(const std::string& id,
                                                     const pwiz::msdata::SoftwarePtr& software,
                                                     const std::string& what);
