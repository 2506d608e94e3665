#include "tests/support/scratch_dir.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

ScratchDir::ScratchDir(Backing backing) {
    std::error_code error;
    const std::filesystem::path base =
        backing == Backing::kMemory && std::filesystem::is_directory("/dev/shm", error)
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
    std::string pattern = (base / "brevanto-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory from " + pattern);
    }
    root_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}
