#include "tools/batch/batch_paths.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "processing/output_path.h"
#include "tools/batch/batch_runner.h"

namespace fs = std::filesystem;

namespace {

// What a path is: the file it reaches when it exists (device and inode, so hard links and
// bind mounts count too), and its spelling with every link and "." or ".." resolved.
struct Identity {
    std::optional<std::pair<dev_t, ino_t>> file;
    std::string resolved;
};

std::string Resolved(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) {
        return path.lexically_normal().string();
    }
    const fs::path canonical = fs::weakly_canonical(absolute, ec);
    return (ec ? absolute.lexically_normal() : canonical).string();
}

// An input is what it leads to: a link to an acquisition is that acquisition.
Identity InputIdentity(const std::string& input) {
    Identity id;
    const std::string path = processing::WithoutTrailingSlashes(input);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        id.file.emplace(st.st_dev, st.st_ino);
    }
    id.resolved = Resolved(path);
    return id;
}

// An output is the name it is written under: a link there is refused on its own, never
// followed, so only its directory is resolved.
Identity OutputIdentity(const std::string& output) {
    Identity id;
    struct stat st {};
    if (::lstat(output.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        id.file.emplace(st.st_dev, st.st_ino);
    }
    const fs::path path(output);
    id.resolved =
        (fs::path(Resolved(path.parent_path().empty() ? fs::path(".") : path.parent_path())) /
         path.filename())
            .string();
    return id;
}

// Paths seen so far, by both of their identities, each with the index of its input.
class Seen {
  public:
    std::optional<std::size_t> Find(const Identity& id) const {
        if (id.file) {
            if (const auto it = byFile.find(*id.file); it != byFile.end()) {
                return it->second;
            }
        }
        if (const auto it = byName.find(id.resolved); it != byName.end()) {
            return it->second;
        }
        return std::nullopt;
    }
    void Add(const Identity& id, std::size_t index) {
        if (id.file) {
            byFile.emplace(*id.file, index);
        }
        byName.emplace(id.resolved, index);
    }

  private:
    std::map<std::pair<dev_t, ino_t>, std::size_t> byFile;
    std::map<std::string, std::size_t> byName;
};

}  // namespace

std::string CheckBatchPaths(const std::vector<std::string>& inputs, const std::string& suffix) {
    Seen seenInputs;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const Identity id = InputIdentity(inputs[i]);
        if (const auto first = seenInputs.Find(id)) {
            return inputs[i] + " is given twice (also as " + inputs[*first] +
                   "); each output may be written only once";
        }
        seenInputs.Add(id, i);
    }
    Seen seenOutputs;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string output = BatchOutputPath(inputs[i], suffix);
        const Identity id = OutputIdentity(output);
        // Its own input (an empty suffix) is refused by that input's own run, which touches
        // nothing either.
        if (const auto input = seenInputs.Find(id); input && *input != i) {
            return "the output " + output + " of " + inputs[i] + " is also an input (" +
                   inputs[*input] + "); it would be overwritten while it is read";
        }
        if (const auto first = seenOutputs.Find(id)) {
            return inputs[*first] + " and " + inputs[i] + " would both be written to " + output;
        }
        seenOutputs.Add(id, i);
    }
    return {};
}
