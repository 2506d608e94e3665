#pragma once

#include <cstdint>
#include <string>

namespace rawsynth {

// The name and the content of companion file `index` (from 1): plain files that an
// acquisition carries beside the library's own, each with a distinct name and content.
std::string SynthCompanionName(std::uint32_t index);
std::string SynthCompanionContent(std::uint64_t seed, std::uint32_t index);

// Writes companions 1..count into `directory`. Returns false and fills `error` when a file
// cannot be written.
bool WriteSynthCompanions(const std::string& directory, std::uint64_t seed, std::uint32_t count,
                          std::string& error);

}  // namespace rawsynth
