// Replays a kept corpus through a fuzz target without libFuzzer, so that any compiler's
// sanitizer build can run it as an ordinary test. Usage: <replay> <file or directory>...
// Directories are read recursively, in name order so a failure repeats at the same input.
// Fails when nothing was found: an empty corpus would pass without testing anything.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool CollectInputs(const std::filesystem::path& where, std::vector<std::filesystem::path>& inputs) {
    std::error_code error;
    if (std::filesystem::is_regular_file(where, error)) {
        inputs.push_back(where);
        return true;
    }
    if (!std::filesystem::is_directory(where, error)) {
        std::fprintf(stderr, "%s: not a corpus file or directory\n", where.c_str());
        return false;
    }
    std::filesystem::recursive_directory_iterator it(where, error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error)) {
            inputs.push_back(it->path());
        }
    }
    if (error) {
        std::fprintf(stderr, "%s: cannot list the corpus: %s\n", where.c_str(),
                     error.message().c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus file or directory>...\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!CollectInputs(argv[i], inputs)) {
            return 1;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus inputs found\n");
        return 1;
    }
    std::sort(inputs.begin(), inputs.end());
    std::vector<std::uint8_t> bytes;
    for (const std::filesystem::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (in.bad()) {
            std::fprintf(stderr, "%s: cannot read the input\n", input.c_str());
            return 1;
        }
        // Named before the run, so a crash report ends with the input that caused it.
        std::fprintf(stderr, "%s\n", input.c_str());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
