#pragma once

#include <pwiz/data/msdata/BinaryDataEncoder.hpp>
#include <pwiz/data/msdata/MSData.hpp>

// The library decodes every array to doubles and forgets how the file stored it; its writer
// takes one precision per kind of array (m/z, intensity, ...) for the whole file. So the
// encoding the input used is read back from its first spectrum that has arrays and its first
// chromatogram, and the output is written the same way: 32-bit stays 32-bit, 64-bit stays
// 64-bit, zlib stays zlib. A kind the two store differently, and kinds first seen later, are
// written 64-bit, which holds any value exactly.
// (MS-Numpress input is decoded by the library and written as plain 64-bit values: Numpress
// is lossy, and encoding its output again would change the values once more.)
pwiz::msdata::BinaryDataEncoder::Config InputArrayEncoding(const std::string& path,
                                                           const pwiz::msdata::MSData& msd);

// True when every value survives a round trip through a 32-bit float, i.e. writing the array
// 32-bit loses nothing.
bool FitsInFloat(const std::vector<double>& values);
