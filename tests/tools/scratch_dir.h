#pragma once

#include <filesystem>
#include <map>
#include <string>

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

// Every regular file below `directory`, by relative path, with its bytes.
std::map<std::string, std::string> ReadTree(const std::string& directory);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
