#include "mzml/markup_scanner.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace mzml {

namespace {

// Characters of plain base64 text: the alphabet, padding and the whitespace writers wrap with.
constexpr std::array<bool, 256> MakeBase64TextTable() {
    std::array<bool, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c)
        table[static_cast<std::size_t>(c)] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        table[static_cast<std::size_t>(c)] = true;
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = true;
    for (char c : {'+', '/', '=', ' ', '\t', '\r', '\n'}) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}
constexpr std::array<bool, 256> kBase64Text = MakeBase64TextTable();

bool IsPlainBase64(std::string_view text) {
    bool ok = true;
    for (const char c : text) {
        ok &= kBase64Text[static_cast<unsigned char>(c)];
    }
    return ok;
}

std::string_view LocalName(const char* name) {
    std::string_view full(name);
    const std::size_t colon = full.rfind(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

// Encodings the parser does not know are taken byte for byte as Latin-1: every character the
// editor reads or writes is ASCII, and bytes above 127 are copied through as they are. Only
// the multi-byte Unicode forms would break that, so they are refused.
int OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    const std::string_view encoding(name);
    if (encoding.find("16") != std::string_view::npos ||
        encoding.find("32") != std::string_view::npos ||
        encoding.find("UCS") != std::string_view::npos ||
        encoding.find("ucs") != std::string_view::npos) {
        return XML_STATUS_ERROR;
    }
    for (int i = 0; i < 256; ++i) {
        info->map[i] = i;
    }
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

}  // namespace

std::string FileMessage(const std::string& path, const std::string& what) {
    return path + ": " + what;
}

const char* StartTag::Attribute(std::string_view wanted) const {
    for (const char** a = attributes; a != nullptr && *a != nullptr; a += 2) {
        if (LocalName(a[0]) == wanted) {
            return a[1];
        }
    }
    return nullptr;
}

struct MarkupScanner::Callbacks {
    static MarkupScanner& Self(void* data) { return *static_cast<MarkupScanner*>(data); }

    static void Start(void* data, const XML_Char* name, const XML_Char** attributes) {
        MarkupScanner& self = Self(data);
        if (self.Failed()) {
            return;
        }
        auto parser = static_cast<XML_Parser>(self.parser_);
        StartTag tag;
        tag.name = LocalName(name);
        tag.begin = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser)) + self.skipped_;
        tag.end = tag.begin + static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser));
        tag.attributes = attributes;
        self.lastStartEnd_ = tag.end;
        if (tag.name == self.arrayElement_) {
            self.arrayTagEnd_ = tag.end;
        }
        self.handler_->OnStart(tag);
    }

    static void End(void* data, const XML_Char* name) {
        MarkupScanner& self = Self(data);
        if (self.Failed()) {
            return;
        }
        auto parser = static_cast<XML_Parser>(self.parser_);
        EndTag tag;
        tag.name = LocalName(name);
        const auto count = static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser));
        if (count == 0) {
            tag.begin = tag.end = self.lastStartEnd_;
        } else {
            tag.begin = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser)) + self.skipped_;
            tag.end = tag.begin + count;
        }
        self.handler_->OnEnd(tag);
    }

    static void Text(void* data, const XML_Char* text, int length) {
        MarkupScanner& self = Self(data);
        if (!self.Failed()) {
            self.handler_->OnText(std::string_view(text, static_cast<std::size_t>(length)));
        }
    }

    static void Doctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        Self(data).Fail("a document type declaration is not allowed in mzML or mzXML");
    }

    static void Entity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                       const XML_Char*, const XML_Char*, const XML_Char*) {
        Self(data).Fail("entity declarations are not allowed in mzML or mzXML");
    }
};

void MarkupScanner::SetArrayElement(const std::string& name) {
    arrayElement_ = name;
    // "<binary>" is closed right after its name; "<peaks" carries attributes, so its start
    // tag is found by its name and ends at the next ">".
    arrayPattern_ = name.empty() ? std::string() : name == "binary" ? "binary>" : "<" + name;
}

MarkupScanner::MarkupScanner(ByteSource& source, const std::string& path, std::size_t windowLimit)
    : source_(source),
      path_(path),
      window_(windowLimit),
      inputHash_(std::make_unique<BackgroundStream>(nullptr)) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    parser_ = parser;
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, Callbacks::Start, Callbacks::End);
    XML_SetCharacterDataHandler(parser, Callbacks::Text);
    XML_SetStartDoctypeDeclHandler(parser, Callbacks::Doctype);
    XML_SetEntityDeclHandler(parser, Callbacks::Entity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetUnknownEncodingHandler(parser, OnUnknownEncoding, nullptr);
}

MarkupScanner::~MarkupScanner() {
    XML_ParserFree(static_cast<XML_Parser>(parser_));
}

void MarkupScanner::Fail(const std::string& message) {
    if (failure_.empty()) {
        failure_ = message;
        XML_StopParser(static_cast<XML_Parser>(parser_), XML_FALSE);
    }
}

bool MarkupScanner::Feed(std::uint64_t to, bool final) {
    auto parser = static_cast<XML_Parser>(parser_);
    const char* bytes = window_.At(fed_);
    const auto size = static_cast<int>(to - fed_);
    fed_ = to;
    if (XML_Parse(parser, bytes, size, final ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
        if (failure_.empty()) {
            const XML_Error code = XML_GetErrorCode(parser);
            const auto at = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser)) + skipped_;
            const bool cut =
                final &&
                (code == XML_ERROR_NO_ELEMENTS || code == XML_ERROR_UNCLOSED_TOKEN ||
                 code == XML_ERROR_PARTIAL_CHAR || code == XML_ERROR_UNCLOSED_CDATA_SECTION);
            failure_ = cut ? "the file is truncated: it ends at byte " +
                                 std::to_string(window_.End()) + ", before its root element does"
                           : std::string("malformed XML at byte ") + std::to_string(at) + ": " +
                                 XML_ErrorString(code);
        }
        return false;
    }
    return failure_.empty();
}

void MarkupScanner::SetHashInput(bool on) {
    if (!on) {
        inputHash_.reset();
    }
}

void MarkupScanner::HashUpTo(std::uint64_t offset) {
    const std::uint64_t to = std::min(offset, hashStop_);
    if (to > hashedTo_) {
        if (inputHash_) {
            inputHash_->Write(window_.View(hashedTo_, to));
        }
        hashedTo_ = to;
    }
}

void MarkupScanner::EndInputChecksumAt(std::uint64_t offset) {
    HashUpTo(offset);
    hashStop_ = offset;
}

std::string MarkupScanner::InputDigest() {
    if (!digestTaken_) {
        digestTaken_ = true;
        digest_ = inputHash_ ? inputHash_->EndHash() : std::string();
    }
    return digest_;
}

// The text after an array start tag that ended exactly where the parser was last fed: when it
// is plain base64 up to an end tag, the handler gets its range and the parser skips it.
bool MarkupScanner::TrySkipArrayText() {
    const std::uint64_t begin = fed_;
    std::uint64_t searched = begin;
    for (;;) {
        const std::uint64_t end = window_.End();
        if (end > searched) {
            const void* lt = std::memchr(window_.At(searched), '<', end - searched);
            if (lt != nullptr) {
                const auto at = searched + static_cast<std::uint64_t>(static_cast<const char*>(lt) -
                                                                      window_.At(searched));
                if (at + 1 < end || window_.AtEndOfInput()) {
                    if (at + 1 < end && *window_.At(at + 1) == '/' &&
                        IsPlainBase64(window_.View(begin, at))) {
                        handler_->OnArrayText(begin, at);
                        skipped_ += at - begin;
                        fed_ = at;
                    }
                    return true;
                }
            }
            searched = end;
        }
        if (window_.AtEndOfInput()) {
            return true;  // the parser will report the unfinished element
        }
        HashUpTo(std::min(fed_, handler_->HoldFrom()));
        window_.Discard(std::min<std::uint64_t>({fed_, handler_->HoldFrom(), hashedTo_}));
        if (!FillWindow()) {
            return false;
        }
    }
}

bool MarkupScanner::FillWindow() {
    std::string error;
    if (window_.Fill(source_, error)) {
        return true;
    }
    if (error.rfind(path_ + ": ", 0) != 0) {
        // Not the source's own message: the window is full.
        const std::string holding = handler_->Holding();
        error = (holding.empty() ? std::string() : holding + ": ") + error + " (from byte " +
                std::to_string(window_.Base()) + ")";
    }
    Fail(error);
    return false;
}

bool MarkupScanner::Run(MarkupHandler& handler, std::string& error) {
    handler_ = &handler;
    bool ok = FillWindow();
    if (ok && window_.End() >= 2) {
        const auto b0 = static_cast<unsigned char>(*window_.At(0));
        const auto b1 = static_cast<unsigned char>(*window_.At(1));
        if ((b0 == 0xFE && b1 == 0xFF) || (b0 == 0xFF && b1 == 0xFE) || b0 == 0 || b1 == 0) {
            failure_ =
                "UTF-16 or UTF-32 text is not supported (only single-byte encodings such "
                "as UTF-8, ASCII and ISO-8859-1)";
            ok = false;
        }
    }
    while (ok) {
        const std::uint64_t end = window_.End();
        std::uint64_t feedTo = fed_;
        bool candidate = false;
        const std::uint64_t keep = arrayPattern_.empty() ? 0 : arrayPattern_.size() - 1;
        if (end > fed_) {
            const std::string_view rest = window_.View(fed_, end);
            const std::size_t at =
                arrayPattern_.empty() ? std::string_view::npos : rest.find(arrayPattern_);
            if (at != std::string_view::npos) {
                if (arrayElement_ == "binary") {
                    feedTo = fed_ + at + arrayPattern_.size();
                    candidate = true;
                } else {
                    const std::size_t close = rest.find('>', at);
                    if (close != std::string_view::npos) {
                        feedTo = fed_ + close + 1;
                        candidate = true;
                    } else {
                        feedTo = fed_ + at;
                    }
                }
            } else if (window_.AtEndOfInput()) {
                feedTo = end;
            } else if (end - fed_ > keep) {
                feedTo = end - keep;  // a pattern may straddle the next chunk
            }
        }
        if (feedTo > fed_ && !Feed(feedTo, false)) {
            ok = false;
            break;
        }
        if (candidate) {
            if (arrayTagEnd_ == fed_ && !TrySkipArrayText()) {
                ok = false;
            }
            continue;
        }
        if (window_.AtEndOfInput()) {
            ok = Feed(fed_, true);
            break;
        }
        HashUpTo(std::min(fed_, handler_->HoldFrom()));
        window_.Discard(std::min<std::uint64_t>({fed_, handler_->HoldFrom(), hashedTo_}));
        if (!FillWindow()) {
            ok = false;
        }
    }
    if (ok && failure_.empty()) {
        HashUpTo(window_.End());
        return true;
    }
    // The byte source's own messages name the file already.
    error = failure_.rfind(path_ + ": ", 0) == 0
                ? failure_
                : FileMessage(path_, failure_.empty() ? "cannot be read" : failure_);
    return false;
}

}  // namespace mzml
