#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/file_contents.h"
#include "tests/support/scratch_dir.h"

// One gzip member holding `content`, made with zlib directly.
std::string GzipMember(const std::string& content);

// A zlib stream made with zlib directly.
std::vector<std::uint8_t> ZlibStream(const std::string& content, int level);

// Text that compresses like the base64 of an mzML array does: not at all well.
std::string PseudoRandomText(std::size_t size, unsigned seed);

// The path of a file of ../shared/data, or empty when it is not there.
std::string SharedDataFile(const std::string& name);
