#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mzml/background_stream.h"
#include "mzml/byte_source.h"
#include "mzml/input_window.h"

namespace mzml {

// A streaming pass over an XML document that reports each tag with its exact byte range in the
// input, so that an editor can copy the input through and change only what it means to.
//
// The XML parser (expat) checks the well-formedness of everything. The one exception is
// speed: the text of array elements (mzML <binary>, mzXML <peaks>) is almost all of a file and
// holds only base64, so when such a text is plain base64 (alphabet, "=" and whitespace, ended
// by the element's end tag) it is handed over as a byte range and not given to the parser; any
// other text (entity references, CDATA, comments, anything else) goes through the parser as
// character data. A document type declaration is refused, so no entity can be declared,
// expanded or fetched.

struct StartTag {
    std::string_view name;              // local name: a namespace prefix is dropped
    std::uint64_t begin = 0;            // offset of "<"
    std::uint64_t end = 0;              // offset just after ">"
    const char** attributes = nullptr;  // expat's name/value pairs, values decoded

    // The decoded value of attribute `name`, or null when absent.
    const char* Attribute(std::string_view name) const;
};

struct EndTag {
    std::string_view name;
    std::uint64_t begin = 0;  // an empty-element tag ("<a/>") ends where it begins:
    std::uint64_t end = 0;    // begin == end == the start tag's end
};

class MarkupHandler {
  public:
    virtual ~MarkupHandler() = default;
    virtual void OnStart(const StartTag& tag) = 0;
    virtual void OnEnd(const EndTag& tag) = 0;
    // Character data the parser read (decoded). Array text handed over by range is not here.
    virtual void OnText(std::string_view text) = 0;
    // The plain base64 text of the array element just started, as input offsets.
    virtual void OnArrayText(std::uint64_t begin, std::uint64_t end) = 0;
    // The first input offset the handler still needs; the window keeps everything from there.
    virtual std::uint64_t HoldFrom() const = 0;
    // What is being held, for messages ("spectrum \"scan=3\""); empty when nothing is.
    virtual std::string Holding() const { return {}; }
};

class MarkupScanner {
  public:
    // `windowLimit` bounds the bytes held at once (one spectrum and the tags around it).
    MarkupScanner(ByteSource& source, const std::string& path, std::size_t windowLimit);

    // The local name of elements whose text is base64 ("binary" in mzML, "peaks" in mzXML);
    // set by the handler once the root element tells the format.
    void SetArrayElement(const std::string& name);
    ~MarkupScanner();
    MarkupScanner(const MarkupScanner&) = delete;
    MarkupScanner& operator=(const MarkupScanner&) = delete;

    // Reads the whole document, calling `handler`. False with "<path>: <what>" in `error`.
    bool Run(MarkupHandler& handler, std::string& error);

    // From a handler: stop with this message (the path is put in front of it).
    void Fail(const std::string& message);
    bool Failed() const { return !failure_.empty(); }

    const InputWindow& Window() const { return window_; }

    // The input's own checksum covers its bytes up to `offset` (the end of the <fileChecksum>
    // or <sha1> start tag); InputDigest() gives the SHA-1 of those bytes once the scan has
    // passed the checksum's text.
    void EndInputChecksumAt(std::uint64_t offset);
    // Off: the input is known to hold no checksum (InputDigest() is then empty).
    void SetHashInput(bool on);
    std::string InputDigest();

    // Progress: how far into the file (not the content, for gzip) the scan has read.
    std::uint64_t FilePosition() const { return source_.FilePosition(); }
    std::uint64_t FileSize() const { return source_.FileSize(); }

  private:
    struct Callbacks;
    bool Feed(std::uint64_t to, bool final);
    bool TrySkipArrayText();
    bool FillWindow();
    void HashUpTo(std::uint64_t offset);

    ByteSource& source_;
    std::string path_;
    std::string arrayElement_;
    std::string arrayPattern_;  // what ends an array element's start tag in the raw text
    InputWindow window_;
    MarkupHandler* handler_ = nullptr;
    void* parser_ = nullptr;
    std::uint64_t fed_ = 0;      // input offset up to which the parser has been given bytes
    std::uint64_t skipped_ = 0;  // array text not given to the parser so far
    std::uint64_t arrayTagEnd_ = UINT64_MAX;  // end of the array start tag just reported
    std::uint64_t lastStartEnd_ = 0;
    std::string failure_;
    std::unique_ptr<BackgroundStream> inputHash_;  // null when the input has no checksum
    std::uint64_t hashedTo_ = 0;
    std::uint64_t hashStop_ = UINT64_MAX;
    bool digestTaken_ = false;
    std::string digest_;
};

// "<path>: <what>".
std::string FileMessage(const std::string& path, const std::string& what);

}  // namespace mzml
