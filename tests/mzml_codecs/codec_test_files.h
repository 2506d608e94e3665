#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh directory for one test, removed with everything in it at the end.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path(const std::string& name) const { return (root_ / name).string(); }

  private:
    std::filesystem::path root_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// One gzip member holding `content`, made with zlib directly.
std::string GzipMember(const std::string& content);

// A zlib stream made with zlib directly.
std::vector<std::uint8_t> ZlibStream(const std::string& content, int level);

// Text that compresses like the base64 of an mzML array does: not at all well.
std::string PseudoRandomText(std::size_t size, unsigned seed);

// The path of a file of ../shared/data, or empty when it is not there.
std::string SharedDataFile(const std::string& name);
