#pragma once

#include <cstddef>
#include <string>

// Reads an mzML or mzXML file through the reader (the document pass without a sink), the way
// the import would. False with the reader's message in `error`.
bool ReadOpenFormatBack(const std::string& path, std::size_t& spectra, std::size_t& peaks,
                        std::string& error, bool ignoreChecksums = false);

// Every regular file name in `directory`, sorted.
std::string ListDirectory(const std::string& directory);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
