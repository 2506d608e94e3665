#include "mzml/document_pass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "mzml/markup_scanner.h"
#include "mzml/mzml_pass.h"
#include "mzml/mzxml_pass.h"
#include "mzml/output_splicer.h"
#include "mzml/spectrum_counts.h"

namespace mzml {

namespace {

// Hands the events to the pass of the format the root element names.
class RootDispatch final : public MarkupHandler {
  public:
    RootDispatch(MarkupScanner& scanner, OutputSplicer& out, const PassSettings& settings,
                 SpectrumCounts& counts)
        : scanner_(scanner), out_(out), settings_(settings), counts_(counts) {}

    void OnStart(const StartTag& tag) override {
        if (!mzml_ && !mzxml_) {
            if (tag.name == "indexedmzML" || tag.name == "mzML") {
                mzml_ = std::make_unique<MzmlPass>(scanner_, out_, settings_, counts_);
                scanner_.SetArrayElement("binary");
                format_ = OpenFormat::kMzml;
            } else if (tag.name == "mzXML") {
                mzxml_ = std::make_unique<MzxmlPass>(scanner_, out_, settings_, counts_);
                scanner_.SetArrayElement("peaks");
                format_ = OpenFormat::kMzxml;
            } else {
                scanner_.Fail("not an mzML or mzXML file (its root element is <" +
                              std::string(tag.name) + ">)");
                return;
            }
        }
        Active().OnStart(tag);
    }
    void OnEnd(const EndTag& tag) override { Active().OnEnd(tag); }
    void OnText(std::string_view text) override {
        if (mzml_ || mzxml_)
            Active().OnText(text);
    }
    void OnArrayText(std::uint64_t begin, std::uint64_t end) override {
        Active().OnArrayText(begin, end);
    }
    std::uint64_t HoldFrom() const override {
        if (mzml_)
            return mzml_->HoldFrom();
        if (mzxml_)
            return mzxml_->HoldFrom();
        return out_.Cursor();
    }

    bool Started() const { return mzml_ || mzxml_; }
    OpenFormat Format() const { return format_; }
    bool Finish(std::string& error) {
        if (mzml_)
            return mzml_->Finish(error);
        if (mzxml_)
            return mzxml_->Finish(error);
        error = "the file holds no root element";
        return false;
    }

  private:
    MarkupHandler& Active() {
        if (mzml_)
            return *mzml_;
        return *mzxml_;
    }
    MarkupScanner& scanner_;
    OutputSplicer& out_;
    const PassSettings& settings_;
    SpectrumCounts& counts_;
    std::unique_ptr<MzmlPass> mzml_;
    std::unique_ptr<MzxmlPass> mzxml_;
    OpenFormat format_ = OpenFormat::kMzml;
};

// The input's own checksum stands at its end: without one there, hashing the whole input would
// be work for nothing. (Gzip input cannot be looked at from the end; it is always hashed.)
bool TailMayHoldChecksum(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct stat info {};
    std::string tail;
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        const auto size = static_cast<std::uint64_t>(info.st_size);
        const std::uint64_t length = std::min<std::uint64_t>(size, 64 * 1024);
        tail.resize(length);
        const ssize_t got = ::pread(fd, tail.data(), length, static_cast<off_t>(size - length));
        tail.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    ::close(fd);
    return tail.empty() || tail.find("fileChecksum") != std::string::npos ||
           tail.find("sha1") != std::string::npos;
}

}  // namespace

bool RunDocumentPass(const std::string& path, const PassSettings& settings, PassResult& result,
                     std::string& error) {
    result = PassResult{};
    std::unique_ptr<ByteSource> source = ByteSource::Open(path, error);
    if (!source) {
        return false;
    }
    if (source->FileSize() == 0) {
        error = FileMessage(path, "the file is empty");
        return false;
    }
    MarkupScanner scanner(*source, path, kMaxHeldBytes);
    scanner.SetHashInput(source->IsGzip() || TailMayHoldChecksum(path));
    OutputSplicer out(scanner.Window(), settings.sink);
    SpectrumCounts counts(settings.rules);
    RootDispatch dispatch(scanner, out, settings, counts);
    const bool scanned = scanner.Run(dispatch, error);
    if (!scanned) {
        const std::string prefix = path + ": ";
        if (!dispatch.Started() && error.find("not an mzML or mzXML file") == std::string::npos &&
            error.find("gzip") == std::string::npos && error.find("UTF-16") == std::string::npos) {
            const std::string why =
                error.rfind(prefix, 0) == 0 ? error.substr(prefix.size()) : error;
            error = FileMessage(path, "not an mzML or mzXML file (" + why + ")");
        }
        if (settings.sink != nullptr && !settings.sink->Error().empty()) {
            error = settings.sink->Error();
        }
        return false;
    }
    std::string why;
    const bool finished = dispatch.Finish(why);
    if (finished && settings.sink != nullptr && !out.Finish()) {
        error = settings.sink->Error().empty() ? FileMessage(path, "writing the output failed")
                                               : settings.sink->Error();
        return false;
    }
    if (!finished) {
        error = settings.sink != nullptr && !settings.sink->Error().empty()
                    ? settings.sink->Error()
                    : FileMessage(path, why);
        return false;
    }
    result.format = dispatch.Format();
    result.levels = counts.Summaries();
    result.runUserParams = std::move(counts.runUserParams);
    return true;
}

bool SniffOpenFormat(const std::string& path, OpenFormat& format) {
    std::string error;
    std::unique_ptr<ByteSource> source = ByteSource::Open(path, error);
    if (!source)
        return false;
    std::string head(64 * 1024, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const std::ptrdiff_t n = source->Read(reinterpret_cast<std::uint8_t*>(head.data() + got),
                                              head.size() - got, error);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    // The first element: past the declaration, comments and processing instructions.
    std::size_t at = 0;
    while ((at = head.find('<', at)) != std::string::npos) {
        if (head.compare(at, 4, "<!--") == 0) {
            at = head.find("-->", at);
            if (at == std::string::npos)
                return false;
            continue;
        }
        if (at + 1 < head.size() && (head[at + 1] == '?' || head[at + 1] == '!')) {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < head.size() && head[end] != ' ' && head[end] != '>' && head[end] != '\t' &&
               head[end] != '\r' && head[end] != '\n' && head[end] != '/') {
            ++end;
        }
        std::string name = head.substr(at + 1, end - at - 1);
        if (const auto colon = name.rfind(':'); colon != std::string::npos) {
            name = name.substr(colon + 1);
        }
        if (name == "mzML" || name == "indexedmzML") {
            format = OpenFormat::kMzml;
            return true;
        }
        if (name == "mzXML") {
            format = OpenFormat::kMzxml;
            return true;
        }
        return false;
    }
    return false;
}

}  // namespace mzml
