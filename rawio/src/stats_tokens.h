#pragma once

// The 4-byte statsFile tokens of RawReadGetStatsFile: each names a read handle and a function,
// so RawStatsReadEntry can find its way back without a handle argument.

#include <cstdint>

#include "rawio/raw_api.h"

namespace rawio {

struct StatsTarget {
    RawHandle readHandle = 0;
    std::int32_t function = 0;
};

// The same (handle, function) always gets the same token while the handle is open.
RawStatus IssueStatsToken(StatsTarget target, std::uint32_t* token);
bool FindStatsToken(std::uint32_t token, StatsTarget* target);
void DropStatsTokens(RawHandle readHandle);

}  // namespace rawio
