// The decoders of the open-format byte layer on hostile input. The first byte picks the
// decoder and the caller's limit; the rest is the input. Beyond "no crash, no leak, no read
// out of bounds", each decoder must keep within its limit, and what decodes must survive a
// round trip through the matching encoder.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "mzml/base64.h"
#include "mzml/byte_source.h"
#include "mzml/numpress_codec.h"
#include "mzml/zlib_codec.h"

using mzml::Base64Decode;
using mzml::Base64Encode;
using mzml::Base64Result;
using mzml::ByteSource;
using mzml::InflateResult;
using mzml::NumpressDecode;
using mzml::NumpressEncode;
using mzml::NumpressFixedPoint;
using mzml::NumpressKind;
using mzml::NumpressResult;
using mzml::ZlibDeflate;
using mzml::ZlibInflate;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void FuzzBase64(std::span<const std::uint8_t> in, std::size_t limit) {
    const std::string_view text(reinterpret_cast<const char*>(in.data()), in.size());
    std::vector<std::uint8_t> bytes;
    if (Base64Decode(text, limit, bytes) != Base64Result::kOk) {
        return;
    }
    Check(bytes.size() <= limit);
    std::string again;
    Base64Encode(bytes, again);
    std::vector<std::uint8_t> back;
    Check(Base64Decode(again, bytes.size(), back) == Base64Result::kOk && back == bytes);
}

void FuzzInflate(std::span<const std::uint8_t> in, std::size_t limit) {
    std::vector<std::uint8_t> bytes;
    if (ZlibInflate(in, limit, bytes) != InflateResult::kOk) {
        Check(bytes.capacity() <= limit);
        return;
    }
    Check(bytes.size() <= limit);
    std::vector<std::uint8_t> packed;
    ZlibDeflate(bytes, packed);
    std::vector<std::uint8_t> back;
    Check(ZlibInflate(packed, bytes.size(), back) == InflateResult::kOk && back == bytes);
}

void FuzzNumpress(NumpressKind kind, std::span<const std::uint8_t> in, std::size_t limit) {
    std::vector<double> values;
    if (NumpressDecode(kind, in, limit, values) != NumpressResult::kOk) {
        return;
    }
    Check(values.size() <= limit);
    std::vector<std::uint8_t> again;
    try {
        NumpressEncode(kind, values, NumpressFixedPoint(kind, in), again);
    } catch (const std::range_error&) {
        // Arbitrary bytes decode to values no encoder would have written.
    }
}

// Through a file in memory, since the source reads files by name.
void FuzzGzipFile(std::span<const std::uint8_t> in) {
    const int fd = memfd_create("fuzz.mzML.gz", MFD_CLOEXEC);
    if (fd < 0) {
        return;
    }
    const std::uint8_t magic[2] = {0x1f, 0x8b};
    if (write(fd, magic, 2) == 2 &&
        write(fd, in.data(), in.size()) == static_cast<ssize_t>(in.size())) {
        std::string error;
        const auto source = ByteSource::Open("/proc/self/fd/" + std::to_string(fd), error);
        if (source) {
            std::vector<std::uint8_t> buffer(4096);
            std::uint64_t total = 0;
            std::ptrdiff_t got = 0;
            while ((got = source->Read(buffer.data(), buffer.size(), error)) > 0 &&
                   total < (std::uint64_t{64} << 20)) {
                total += static_cast<std::uint64_t>(got);
            }
            Check(source->FilePosition() <= source->FileSize());
        }
    }
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> in(data + 1, size - 1);
    const std::size_t limit = static_cast<std::size_t>(data[0] >> 3) * 97;
    switch (data[0] % 6) {
        case 0:
            FuzzBase64(in, limit);
            break;
        case 1:
            FuzzInflate(in, limit);
            break;
        case 2:
            FuzzNumpress(NumpressKind::kLinear, in, limit);
            break;
        case 3:
            FuzzNumpress(NumpressKind::kPic, in, limit);
            break;
        case 4:
            FuzzNumpress(NumpressKind::kSlof, in, limit);
            break;
        default:
            FuzzGzipFile(in);
            break;
    }
    return 0;
}
