#pragma once

#include <filesystem>
#include <string>

// A fresh directory for one test, removed with everything in it by the destructor.
class ScratchDir {
  public:
    // kMemory puts the directory on a memory-backed file system when the machine has one:
    // sweeps that create hundreds of files, each made durable, would otherwise spend minutes
    // in syncs. kDisk is for files too large to keep in memory.
    enum class Backing { kDisk, kMemory };

    explicit ScratchDir(Backing backing = Backing::kDisk);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The directory itself, and `name` inside it.
    const std::string& Path() const { return root_; }
    std::string Path(const std::string& name) const { return root_ + "/" + name; }
    std::string operator/(const std::string& name) const { return Path(name); }

  private:
    std::string root_;
};
