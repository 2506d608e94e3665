#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Helpers of the open-format tests: a scratch directory, test inputs written through the
// library's own mzML writer, and a plain reader that gives every spectrum's peaks.

class TestDir {
  public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    std::string Path(const std::string& name) const { return (root / name).string(); }
    // Names of every entry, so a test can see that no temporary was left behind.
    std::vector<std::string> Entries() const;

  private:
    std::filesystem::path root;
};

// The shared sample `name` from BREVANTO_SHARED_DATA, or empty when it is not there.
std::string SharedSample(const std::string& name);

struct TestInputOptions {
    bool mz32 = false;        // m/z arrays 32-bit (else 64-bit)
    bool intensity32 = true;  // intensity arrays 32-bit (else 64-bit)
    bool zlib = false;
    int spectra = 6;               // alternating MS1, MS2 (odd indices are MS2)
    int peaks = 40;                // per spectrum; every third spectrum is empty
    bool chromatogram = true;      // a TIC chromatogram
    double intensityOffset = 0.0;  // added to every intensity (negative ones for bad input)
};

// Writes an mzML file of deterministic spectra whose m/z values spread over every fraction
// (and are not representable as floats, so 64-bit values show if they are rounded).
void WriteTestMzml(const std::string& path, const TestInputOptions& options);

struct SpectrumPeaks {
    std::string id;
    int msLevel = 0;
    std::vector<double> mz;
    std::vector<double> intensity;
};

// Every spectrum of an mzML or mzXML file, with its peaks as the library decodes them.
std::vector<SpectrumPeaks> ReadAllPeaks(const std::string& path);
std::size_t ChromatogramCount(const std::string& path);

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
