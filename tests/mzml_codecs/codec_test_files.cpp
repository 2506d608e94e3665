#include "tests/mzml_codecs/codec_test_files.h"

#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace {

std::string Deflate(const std::string& content, int level, int windowBits) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) {
        throw std::runtime_error("deflate did not finish");
    }
    return out;
}

}  // namespace

std::string GzipMember(const std::string& content) {
    return Deflate(content, Z_DEFAULT_COMPRESSION, 16 + MAX_WBITS);
}

std::vector<std::uint8_t> ZlibStream(const std::string& content, int level) {
    const std::string stream = Deflate(content, level, MAX_WBITS);
    return {stream.begin(), stream.end()};
}

std::string PseudoRandomText(std::size_t size, unsigned seed) {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/<>=\" \n";
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string text(size, ' ');
    for (char& c : text) {
        c = kChars[pick(rng)];
    }
    return text;
}

std::string SharedDataFile(const std::string& name) {
    const char* dir = std::getenv("BREVANTO_SHARED_DATA");
    if (dir == nullptr) {
        return {};
    }
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    return std::filesystem::exists(path) ? path.string() : std::string();
}
