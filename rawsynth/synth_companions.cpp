#include "rawsynth/synth_companions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "rawsynth/synth_random.h"

namespace rawsynth {

namespace {
constexpr std::uint64_t kCompanionPart = 9;
}

std::string SynthCompanionName(std::uint32_t index) {
    char name[40];
    std::snprintf(name, sizeof name, "companion_%04u.txt", index);
    return name;
}

std::string SynthCompanionContent(std::uint64_t seed, std::uint32_t index) {
    SynthRandom random = SynthRandom::For(seed, kCompanionPart, index);
    std::string content = "Companion file " + std::to_string(index) +
                          " of a synthetic acquisition, seed " + std::to_string(seed) + "\n";
    const std::uint32_t lines = 1 + (random.Next32() % 16);
    for (std::uint32_t i = 0; i < lines; ++i) {
        content += "value " + std::to_string(i) + " = " + std::to_string(random.Next()) + "\n";
    }
    return content;
}

bool WriteSynthCompanions(const std::string& directory, std::uint64_t seed, std::uint32_t count,
                          std::string& error) {
    for (std::uint32_t index = 1; index <= count; ++index) {
        const std::string path = directory + "/" + SynthCompanionName(index);
        const std::string content = SynthCompanionContent(seed, index);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) {
            error = "cannot create " + path + ": " + std::strerror(errno);
            return false;
        }
        const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
        const int savedErrno = errno;
        if (std::fclose(file) != 0 || !written) {
            error = "cannot write " + path + ": " + std::strerror(written ? errno : savedErrno);
            return false;
        }
    }
    return true;
}

}  // namespace rawsynth
