#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Whole files in and out, for tests. A file that cannot be read or written throws
// std::runtime_error naming it, so a test fails on the missing file rather than on the empty
// contents it would otherwise compare.
std::string ReadFile(const std::string& path);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Every regular file below `directory`, by relative path, with its bytes.
std::map<std::string, std::string> ReadTree(const std::string& directory);
// The names in `directory`, sorted.
std::vector<std::string> ListNames(const std::string& directory);
