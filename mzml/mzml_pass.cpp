#include "mzml/mzml_pass.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "mzml/pass_end.h"
#include "mzml/tag_text.h"
#include "params/rule_text.h"

namespace mzml {

namespace {
std::string RuleText(const params::CMassRangeList& rules, std::int32_t i) {
    params::CMassRange rule;
    rules.GetEntry(i, rule);
    return params::FormatRule(rule);
}
}  // namespace

#ifndef BREVANTO_VERSION
#define BREVANTO_VERSION "0"
#endif

namespace {

// The summary values a spectrum states about its peaks, recomputed when peaks go.
enum SummaryKind { kTic, kBasePeakMz, kBasePeakIntensity, kLowestMz, kHighestMz, kSummaryKinds };
constexpr const char* kSummaryAccessions[kSummaryKinds] = {"MS:1000285", "MS:1000504", "MS:1000505",
                                                           "MS:1000528", "MS:1000527"};

int SummaryKindOf(std::string_view accession) {
    for (int k = 0; k < kSummaryKinds; ++k) {
        if (accession == kSummaryAccessions[k])
            return k;
    }
    return -1;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// What a cvParam of a binaryDataArray says about the array.
void ApplyArrayTerm(std::string_view accession, std::string_view name, ArrayEncoding& encoding,
                    int& role) {
    if (accession == "MS:1000514")
        role = 1;
    else if (accession == "MS:1000515")
        role = 2;
    else if (accession == "MS:1000521")
        encoding.type = ValueType::kFloat32;
    else if (accession == "MS:1000523")
        encoding.type = ValueType::kFloat64;
    else if (accession == "MS:1000519")
        encoding.type = ValueType::kInt32;
    else if (accession == "MS:1000522")
        encoding.type = ValueType::kInt64;
    else if (accession == "MS:1000576") {
    } else if (accession == "MS:1000574")
        encoding.zlib = true;
    else if (accession == "MS:1002312")
        encoding.numpress = NumpressKind::kLinear;
    else if (accession == "MS:1002313")
        encoding.numpress = NumpressKind::kPic;
    else if (accession == "MS:1002314")
        encoding.numpress = NumpressKind::kSlof;
    else if (accession == "MS:1002746") {
        encoding.numpress = NumpressKind::kLinear;
        encoding.zlib = true;
    } else if (accession == "MS:1002747") {
        encoding.numpress = NumpressKind::kPic;
        encoding.zlib = true;
    } else if (accession == "MS:1002748") {
        encoding.numpress = NumpressKind::kSlof;
        encoding.zlib = true;
    } else if (name.find("compression") != std::string_view::npos) {
        encoding.unknownCompression = std::string(name) + " (" + std::string(accession) + ")";
    }
}

std::string UniqueId(const std::string& wanted, const std::vector<std::string>& taken) {
    std::string id = wanted;
    for (int n = 2; std::find(taken.begin(), taken.end(), id) != taken.end(); ++n) {
        id = wanted + "_" + std::to_string(n);
    }
    return id;
}

}  // namespace

MzmlPass::MzmlPass(MarkupScanner& scanner, OutputSplicer& out, const PassSettings& settings,
                   SpectrumCounts& counts)
    : scanner_(scanner),
      out_(out),
      settings_(settings),
      counts_(counts),
      filtering_(settings.sink != nullptr) {}

void MzmlPass::Fail(const std::string& what) {
    if (error_.empty()) {
        error_ = what;
    }
    scanner_.Fail(what);
}

void MzmlPass::Release(std::uint64_t upTo) {
    out_.CopyTo(upTo);
    hold_ = upTo;
    if (out_.Failed()) {
        Fail("writing the output failed");
    }
}

bool MzmlPass::AddToIndex(Spill& spill, const std::string& id, std::uint64_t offset) {
    if (!filtering_)
        return true;
    if (spill.file == nullptr) {
        spill.file = std::tmpfile();
        if (spill.file == nullptr) {
            Fail(std::string("cannot make a temporary file for the index: ") +
                 std::strerror(errno));
            return false;
        }
    }
    const std::string line = "    <" + Tag("offset") + " idRef=\"" + EscapeXml(id) + "\">" +
                             std::to_string(offset) + "</" + Tag("offset") + ">" + Newline();
    if (std::fwrite(line.data(), 1, line.size(), spill.file) != line.size()) {
        Fail(std::string("cannot write the index's temporary file: ") + std::strerror(errno));
        return false;
    }
    ++spill.count;
    return true;
}

bool MzmlPass::ReadLength(const StartTag& tag, const char* name, bool& present,
                          std::uint64_t& value, std::uint64_t& begin, std::uint64_t& end) {
    const char* text = tag.Attribute(name);
    if (text == nullptr) {
        return true;
    }
    const auto parsed = ParseCount(text);
    if (!parsed) {
        Fail("spectrum \"" + spectrumId_ + "\": " + name + " \"" + text + "\" is not a number");
        return false;
    }
    present = true;
    value = *parsed;
    const auto range = FindAttributeValue(scanner_.Window().View(tag.begin, tag.end), name);
    begin = tag.begin + range->first;
    end = tag.begin + range->second;
    return true;
}

void MzmlPass::OnStart(const StartTag& tag) {
    const std::string_view name = tag.name;
    const std::string parent = stack_.empty() ? std::string() : stack_.back().name;
    if (!stack_.empty()) {
        ++stack_.back().children;
    }
    Frame frame{std::string(name), 0, -1};
    if (EndsWith(name, "List")) {
        if (const char* count = tag.Attribute("count")) {
            const auto value = ParseCount(count);
            if (!value) {
                Fail("<" + std::string(name) + "> has a count that is not a number: \"" + count +
                     "\"");
                return;
            }
            frame.declaredCount = static_cast<std::int64_t>(*value);
        }
    }
    stack_.push_back(frame);

    if (stack_.size() == 1) {
        const std::string_view raw = scanner_.Window().View(tag.begin, tag.end);
        prefix_ = TagPrefix(raw);
        indexedRoot_ = name == "indexedmzML";
        crlf_ = scanner_.Window().View(0, tag.begin).find("\r\n") != std::string_view::npos;
        if (!indexedRoot_ && filtering_) {
            out_.CopyTo(tag.begin);
            const std::string ns = prefix_.empty()
                                       ? std::string("xmlns")
                                       : "xmlns:" + prefix_.substr(0, prefix_.size() - 1);
            crlf_ = scanner_.Window().View(0, tag.begin).find("\r\n") != std::string_view::npos;
            out_.Insert("<" + Tag("indexedmzML") + " " + ns +
                        "=\"http://psi.hupo.org/ms/mzml\" "
                        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                        "xsi:schemaLocation=\"http://psi.hupo.org/ms/mzml "
                        "http://psidev.info/files/ms/mzML/xsd/mzML1.1.2_idx.xsd\">" +
                        Newline());
        }
        return;
    }
    if (rootEnded_) {
        // The input's own index and checksum: replaced by ours.
        if (name == "fileChecksum") {
            inChecksum_ = true;
            sawChecksum_ = true;
            inputChecksum_.clear();
            scanner_.EndInputChecksumAt(tag.end);
        }
        out_.SkipTo(tag.end);
        hold_ = tag.end;
        return;
    }

    if (inSpectrum_) {
        if (name == "binaryDataArray") {
            inArray_ = true;
            Array array;
            if (!ReadLength(tag, "encodedLength", array.hasEncodedLength,
                            array.declaredEncodedLength, array.encodedLengthBegin,
                            array.encodedLengthEnd) ||
                !ReadLength(tag, "arrayLength", array.hasArrayLength, array.arrayLength,
                            array.arrayLengthBegin, array.arrayLengthEnd)) {
                return;
            }
            arrays_.push_back(std::move(array));
        } else if (name == "binary" && inArray_) {
            inBinary_ = true;
            Array& array = arrays_.back();
            array.textBegin = array.textEnd = tag.end;
            array.text.clear();
        } else if (name == "cvParam" || name == "referenceableParamGroupRef") {
            std::vector<Param> params;
            if (name == "cvParam") {
                const char* accession = tag.Attribute("accession");
                const char* value = tag.Attribute("value");
                const char* unit = tag.Attribute("unitAccession");
                const char* termName = tag.Attribute("name");
                params.push_back(
                    {accession ? accession : "", value ? value : "", unit ? unit : ""});
                if (inArray_ && parent == "binaryDataArray") {
                    ApplyArrayTerm(params.back().accession, termName ? termName : "",
                                   arrays_.back().encoding, arrays_.back().role);
                    if (params.back().accession == "MS:1000786" &&
                        params.back().value == kPeakByteArrayName) {
                        arrays_.back().role = 3;
                    }
                    return;
                }
                if (parent == "spectrum") {
                    const int kind = SummaryKindOf(params.back().accession);
                    if (kind >= 0) {
                        SummaryParam summary{kind, tag.begin, tag.end, 0, 0};
                        const std::string_view raw = scanner_.Window().View(tag.begin, tag.end);
                        if (const auto range = FindAttributeValue(raw, "value")) {
                            summary.valueBegin = tag.begin + range->first;
                            summary.valueEnd = tag.begin + range->second;
                        }
                        summary_.push_back(summary);
                        summaryOpen_ = true;
                    }
                }
            } else {
                const char* ref = tag.Attribute("ref");
                const auto group = groups_.find(ref ? std::string_view(ref) : "");
                if (group == groups_.end()) {
                    Fail("spectrum \"" + spectrumId_ + "\" refers to parameter group \"" +
                         (ref ? ref : "") + "\", which the file does not define");
                    return;
                }
                params = group->second;
                if (inArray_ && parent == "binaryDataArray") {
                    for (const Param& param : params) {
                        ApplyArrayTerm(param.accession, "", arrays_.back().encoding,
                                       arrays_.back().role);
                    }
                    return;
                }
            }
            for (const Param& param : params) {
                ApplyParam(param, parent);
            }
        } else if (name == "userParam" && parent == "spectrum" && !filtering_) {
            const char* paramName = tag.Attribute("name");
            const char* value = tag.Attribute("value");
            userParams_.emplace_back(paramName ? paramName : "", value ? value : "");
        } else if (name == "scan") {
            ++scanCount_;
        } else if (name == "selectedIon") {
            ++selectedIons_;
        }
        return;
    }

    if (name == "userParam" && parent == "run" && !filtering_) {
        const char* paramName = tag.Attribute("name");
        const char* value = tag.Attribute("value");
        counts_.runUserParams.emplace_back(paramName ? paramName : "", value ? value : "");
    } else if (name == "referenceableParamGroup") {
        const char* id = tag.Attribute("id");
        currentGroup_ = id ? id : "";
        groups_[currentGroup_];
    } else if (name == "cvParam" && parent == "referenceableParamGroup") {
        const char* accession = tag.Attribute("accession");
        const char* value = tag.Attribute("value");
        const char* termName = tag.Attribute("name");
        auto& params = groups_[currentGroup_];
        params.push_back({accession ? accession : "", value ? value : "", ""});
        // Array terms by name only matter for unknown compressions; keep the name then.
        if (termName != nullptr &&
            std::string_view(termName).find("compression") != std::string_view::npos) {
            params.back().unitAccession = termName;
        }
    } else if (name == "cv") {
        const char* id = tag.Attribute("id");
        const char* uri = tag.Attribute("URI");
        const char* fullName = tag.Attribute("fullName");
        const std::string text = std::string(uri ? uri : "") + (fullName ? fullName : "");
        if (id != nullptr &&
            (text.find("psi-ms") != std::string::npos ||
             text.find("Proteomics Standards Initiative Mass Spectrometry") != std::string::npos)) {
            msCv_ = id;
        }
    } else if (name == "softwareList") {
        StartEntryList(tag, software_);
    } else if (name == "software" && parent == "softwareList") {
        const char* id = tag.Attribute("id");
        software_.ids.push_back(id ? id : "");
    } else if (name == "dataProcessingList") {
        StartEntryList(tag, processing_);
    } else if (name == "dataProcessing" && parent == "dataProcessingList") {
        const char* id = tag.Attribute("id");
        processing_.ids.push_back(id ? id : "");
    } else if ((name == "scanSettingsList" || name == "instrumentConfigurationList") &&
               parent == "mzML" && software_.missingAt == 0 && software_.count < 0 &&
               software_.lastEnd == 0) {
        // No softwareList before these: ours goes where the schema wants it.
        software_.missingAt = tag.begin;
        PlaceEntry(tag.begin, software_);
    } else if (name == "run") {
        if (processing_.lastEnd == 0) {
            processing_.missingAt = tag.begin;
            PlaceEntry(tag.begin, processing_);
        }
        if (inHead_) {
            inHead_ = false;
            AddEntries();
            Release(tag.begin);
        }
    } else if (name == "spectrum" && parent == "spectrumList") {
        StartSpectrum(tag);
        return;
    } else if (name == "chromatogram" && parent == "chromatogramList") {
        Release(tag.begin);
        const char* id = tag.Attribute("id");
        AddToIndex(chromatogramIndex_, id ? id : "", out_.OutputOffset());
        inChromatogram_ = true;
    }
    if (!inHead_) {
        Release(tag.end);
    }
}

void MzmlPass::ApplyParam(const Param& param, const std::string& parent) {
    const std::string& a = param.accession;
    if (parent == "spectrum") {
        if (a == "MS:1000511") {
            const auto level = ParseCount(param.value);
            if (!level || *level > 1000000) {
                Fail("spectrum \"" + spectrumId_ + "\" has an MS level of \"" + param.value + "\"");
                return;
            }
            scan_.msLevel = static_cast<std::int32_t>(*level);
            levelStated_ = true;
        } else if (a == "MS:1000579") {
            ms1Term_ = true;
        } else if (a == "MS:1000128") {
            scan_.profile = true;
        } else if (a == "MS:1000129") {
            scan_.negative = true;
        } else if (a == "MS:1000285") {
            scan_.totalIonCurrent = ParseNumber(param.value).value_or(kAbsent);
        } else if (a == "MS:1000504") {
            scan_.basePeakMz = ParseNumber(param.value).value_or(kAbsent);
        } else if (a == "MS:1000505") {
            scan_.basePeakIntensity = ParseNumber(param.value).value_or(kAbsent);
        } else if (a == "MS:1000528") {
            scan_.lowestMz = ParseNumber(param.value).value_or(kAbsent);
        } else if (a == "MS:1000527") {
            scan_.highestMz = ParseNumber(param.value).value_or(kAbsent);
        }
    } else if (parent == "scan" && scanCount_ == 1 && a == "MS:1000016") {
        const auto time = ParseNumber(param.value);
        if (time) {
            const bool minutes = param.unitAccession == "UO:0000031";
            scan_.retentionSeconds = minutes ? *time * 60.0 : *time;
        }
    } else if (parent == "selectedIon" && selectedIons_ == 1) {
        if (a == "MS:1000744") {
            scan_.precursorMz = ParseNumber(param.value).value_or(kAbsent);
        } else if (a == "MS:1000041") {
            const auto charge = ParseNumber(param.value);
            if (charge && std::abs(*charge) < 1000) {
                scan_.precursorCharge = static_cast<std::int32_t>(*charge);
            }
        }
    }
}

void MzmlPass::StartSpectrum(const StartTag& tag) {
    Release(tag.begin);
    const char* id = tag.Attribute("id");
    spectrumId_ = id ? id : "";
    AddToIndex(spectrumIndex_, spectrumId_, out_.OutputOffset());
    inSpectrum_ = true;
    spectrumBegin_ = tag.begin;
    spectrumTagEnd_ = tag.end;
    scan_ = ScanMetadata{};
    scan_.nativeId = spectrumId_;
    scan_.sourceIndex = static_cast<std::uint32_t>(spectraSeen_);
    ++spectraSeen_;
    levelStated_ = ms1Term_ = false;
    scanCount_ = selectedIons_ = 0;
    summary_.clear();
    arrays_.clear();
    userParams_.clear();
    inArray_ = inBinary_ = false;
    const char* length = tag.Attribute("defaultArrayLength");
    const auto value = length ? ParseCount(length) : std::optional<std::uint64_t>(0);
    if (!value) {
        Fail("spectrum \"" + spectrumId_ + "\": defaultArrayLength \"" + length +
             "\" is not a number");
        return;
    }
    defaultArrayLength_ = *value;
    hasDefaultArrayLength_ = length != nullptr;
    lengthBegin_ = lengthEnd_ = 0;
    if (length != nullptr) {
        const auto range =
            FindAttributeValue(scanner_.Window().View(tag.begin, tag.end), "defaultArrayLength");
        lengthBegin_ = tag.begin + range->first;
        lengthEnd_ = tag.begin + range->second;
    }
}

void MzmlPass::OnEnd(const EndTag& tag) {
    const std::string_view name = tag.name;
    if (!stack_.empty()) {
        const Frame& frame = stack_.back();
        // Only the count that tells how many arrays a spectrum holds is held to the truth:
        // converters and tools write the other list counts wrong often enough (a file cut down
        // to a few spectra keeps its spectrumList count), and they describe nothing we read.
        if (frame.name == "binaryDataArrayList" && frame.declaredCount >= 0 &&
            static_cast<std::uint64_t>(frame.declaredCount) != frame.children) {
            Fail("spectrum \"" + spectrumId_ + "\": <" + frame.name + "> says count=\"" +
                 std::to_string(frame.declaredCount) + "\" but holds " +
                 std::to_string(frame.children) + " arrays");
            return;
        }
        stack_.pop_back();
    }
    if (rootEnded_) {
        if (stack_.empty()) {
            // </indexedmzML>: our index takes the place of the input's.
            out_.SkipTo(tag.begin);
            WriteIndex();
            Release(tag.end);
            return;
        }
        if (name == "fileChecksum") {
            inChecksum_ = false;
        }
        out_.SkipTo(tag.end);
        hold_ = tag.end;
        return;
    }
    if (inSpectrum_) {
        if (name == "binary" && inBinary_) {
            inBinary_ = false;
            Array& array = arrays_.back();
            if (!array.rangeText) {
                array.textEnd = tag.begin == tag.end ? array.textBegin : tag.begin;
            }
        } else if (name == "binaryDataArray") {
            inArray_ = false;
        } else if (name == "cvParam" && summaryOpen_) {
            summaryOpen_ = false;
            if (tag.begin != tag.end) {
                summary_.back().end = tag.end;  // a cvParam written with an end tag
            }
        } else if (name == "spectrum" && stack_.size() >= 1 &&
                   stack_.back().name == "spectrumList") {
            EndSpectrum(tag);
        }
        return;
    }
    if (name == "referenceableParamGroup") {
        currentGroup_.clear();
    } else if (name == "softwareList") {
        EndEntryList(tag, software_);
    } else if (name == "dataProcessingList") {
        EndEntryList(tag, processing_);
    } else if (name == "chromatogram") {
        inChromatogram_ = false;
    }
    if (stack_.empty()) {
        // The root's end.
        Release(tag.end);
        rootEnded_ = true;
        if (!indexedRoot_) {
            WriteIndex();
            out_.Insert("</" + Tag("indexedmzML") + ">");
            rootEnded_ = false;
            wrappedEnded_ = true;
        }
        return;
    }
    if (name == "mzML" && indexedRoot_) {
        Release(tag.end);
        rootEnded_ = true;
        return;
    }
    if (!inHead_) {
        Release(tag.end);
    }
}

void MzmlPass::OnText(std::string_view text) {
    if (inBinary_) {
        Array& array = arrays_.back();
        if (array.text.size() + text.size() > kMaxHeldBytes) {
            Fail("spectrum \"" + spectrumId_ + "\": an array's text is larger than the " +
                 std::to_string(kMaxHeldBytes >> 20) + " MiB this reader holds");
            return;
        }
        array.text.append(text);
    } else if (inChecksum_) {
        inputChecksum_.append(text);
    }
}

void MzmlPass::OnArrayText(std::uint64_t begin, std::uint64_t end) {
    if (inBinary_) {
        Array& array = arrays_.back();
        array.rangeText = true;
        array.textBegin = begin;
        array.textEnd = end;
    }
}

std::string MzmlPass::ArrayName(const Array& array) const {
    switch (array.role) {
        case 1:
            return "m/z array";
        case 2:
            return "intensity array";
        case 3:
            return "peak byte array";
        default:
            break;
    }
    const auto index = static_cast<std::size_t>(&array - arrays_.data());
    return "array " + std::to_string(index + 1) + " (of " + std::to_string(arrays_.size()) + ")";
}

std::string_view MzmlPass::ArrayText(const Array& array) const {
    return array.rangeText ? scanner_.Window().View(array.textBegin, array.textEnd)
                           : std::string_view(array.text);
}

namespace {
std::size_t NonSpaceLength(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) {
        n += (c != ' ' && c != '\t' && c != '\r' && c != '\n') ? 1 : 0;
    }
    return n;
}
}  // namespace

void MzmlPass::EndSpectrum(const EndTag& tag) {
    inSpectrum_ = false;
    if (!levelStated_ && ms1Term_) {
        scan_.msLevel = 1;  // "MS1 spectrum" states the level by itself
        levelStated_ = true;
    }
    for (const Array& array : arrays_) {
        if (array.hasEncodedLength) {
            const std::string_view text = ArrayText(array);
            const std::size_t length =
                text.size() == array.declaredEncodedLength ? text.size() : NonSpaceLength(text);
            if (length != array.declaredEncodedLength) {
                Fail("spectrum \"" + spectrumId_ + "\": an array says encodedLength=\"" +
                     std::to_string(array.declaredEncodedLength) + "\" but holds " +
                     std::to_string(length) + " characters");
                return;
            }
        }
    }
    if (!hasDefaultArrayLength_ && !arrays_.empty() &&
        (!filtering_ || (levelStated_ && counts_.FilterFor(scan_.msLevel) != nullptr))) {
        // The attribute is required: without it the arrays' length is unknown, and reading
        // them as empty would pass every peak unfiltered.
        Fail("spectrum \"" + spectrumId_ + "\" has arrays but no defaultArrayLength");
        return;
    }
    const bool ok = filtering_ ? FilterSpectrum() : ReadSpectrum();
    if (!ok) {
        return;
    }
    Release(tag.end);
    if (settings_.progress) {
        settings_.progress(scanner_.FilePosition(), scanner_.FileSize());
    }
}

bool MzmlPass::DecodeRole(int role, DecodedArray& out) {
    for (const Array& array : arrays_) {
        if (array.role != role)
            continue;
        const std::size_t expected = array.hasArrayLength ? array.arrayLength : defaultArrayLength_;
        std::string why;
        if (!DecodeArray(ArrayText(array), array.encoding, expected, true, out, scratch_, why)) {
            Fail("spectrum \"" + spectrumId_ + "\": its " + (role == 1 ? "m/z" : "intensity") +
                 " array cannot be read: " + why);
            return false;
        }
        return true;
    }
    out.bytes.clear();
    out.count = 0;
    return true;
}

bool MzmlPass::ReadSpectrum() {
    SpectrumPeaks peaks;
    peaks.scan = scan_;
    if (!levelStated_)
        peaks.scan.msLevel = 0;
    peaks.userParams = std::move(userParams_);
    userParams_.clear();
    if (settings_.decodeLevel && !settings_.decodeLevel(peaks.scan.msLevel)) {
        counts_.Count(peaks.scan.msLevel, defaultArrayLength_, defaultArrayLength_, false);
        std::string why;
        if (settings_.onSpectrum && !settings_.onSpectrum(peaks, why)) {
            Fail(why);
            return false;
        }
        return true;
    }
    if (!DecodeRole(1, mz_) || !DecodeRole(2, values_)) {
        return false;
    }
    for (const Array& array : arrays_) {
        if (array.role != 3)
            continue;
        DecodedArray bytes;
        std::string why;
        if (!DecodeArray(ArrayText(array), array.encoding, defaultArrayLength_, true, bytes,
                         scratch_, why)) {
            Fail("spectrum \"" + spectrumId_ + "\": its peak byte array cannot be read: " + why);
            return false;
        }
        peaks.peakBytes.resize(bytes.count);
        for (std::size_t i = 0; i < bytes.count; ++i) {
            peaks.peakBytes[i] = ValueAt(bytes, array.encoding, i);
        }
    }
    bool hasIntensity = false;
    for (const Array& array : arrays_)
        hasIntensity = hasIntensity || array.role == 2;
    if (hasIntensity && mz_.count != values_.count) {
        Fail("spectrum \"" + spectrumId_ + "\": its m/z and intensity arrays differ in length");
        return false;
    }
    const ArrayEncoding* mzEncoding = nullptr;
    const ArrayEncoding* intensityEncoding = nullptr;
    for (const Array& array : arrays_) {
        if (array.role == 1 && !mzEncoding)
            mzEncoding = &array.encoding;
        if (array.role == 2 && !intensityEncoding)
            intensityEncoding = &array.encoding;
    }
    // A spectrum without an intensity array hands over none: what to make of that is the
    // reader's caller's to say (the import refuses it).
    peaks.mz.resize(mz_.count);
    peaks.intensity.resize(hasIntensity ? values_.count : 0);
    for (std::size_t i = 0; i < mz_.count; ++i) {
        peaks.mz[i] = ValueAt(mz_, *mzEncoding, i);
    }
    for (std::size_t i = 0; i < peaks.intensity.size(); ++i) {
        peaks.intensity[i] = ValueAt(values_, *intensityEncoding, i);
    }
    counts_.Count(levelStated_ ? scan_.msLevel : 0, mz_.count, mz_.count, false);
    if (settings_.onSpectrum) {
        std::string why;
        if (!settings_.onSpectrum(peaks, why)) {
            Fail(why);
            return false;
        }
    }
    return true;
}

bool MzmlPass::FilterSpectrum() {
    const std::int32_t level = levelStated_ ? scan_.msLevel : 0;
    const processing::FunctionFilter* filter = levelStated_ ? counts_.FilterFor(level) : nullptr;
    const std::uint64_t n = defaultArrayLength_;
    if (filter == nullptr) {
        counts_.Count(level, n, n, false);
        return true;
    }
    const Array* mzArray = nullptr;
    const Array* intensityArray = nullptr;
    for (const Array& array : arrays_) {
        if (array.role == 1 && !mzArray)
            mzArray = &array;
        if (array.role == 2 && !intensityArray)
            intensityArray = &array;
    }
    if (n == 0) {
        counts_.Count(level, 0, 0, true);
        return true;
    }
    if (mzArray == nullptr) {
        Fail("spectrum \"" + spectrumId_ + "\" has " + std::to_string(n) +
             " peaks but no m/z array");
        return false;
    }
    if (n > kMaxArrayValues) {
        Fail("spectrum \"" + spectrumId_ + "\" declares " + std::to_string(n) +
             " peaks, more than the " + std::to_string(kMaxArrayValues) +
             " this reader takes in one spectrum");
        return false;
    }
    if (!DecodeRole(1, mz_)) {
        return false;
    }
    if (mz_.count != n) {
        Fail("spectrum \"" + spectrumId_ + "\": its m/z array holds " + std::to_string(mz_.count) +
             " values where defaultArrayLength says " + std::to_string(n));
        return false;
    }
    masses_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        masses_[i] = static_cast<float>(ValueAt(mz_, mzArray->encoding, i));
    }
    keep_.assign((n + 63) / 64, 0);
    filter->Decide(masses_.data(), static_cast<std::uint32_t>(n), keep_.data());
    std::uint64_t kept = 0;
    for (const std::uint64_t word : keep_)
        kept += static_cast<std::uint64_t>(std::popcount(word));
    counts_.Count(level, n, kept, true);

    // Every array of the peak count is read, also when nothing goes, so a damaged or short
    // one is found in any spectrum that is filtered.
    const DecodedArray* keptMz = nullptr;
    double tic = 0, basePeakMz = 0, basePeakIntensity = 0, lowest = 0, highest = 0;
    std::string basePeakMzText, basePeakIntensityText, lowestText, highestText;
    bool haveIntensity = false;
    std::vector<const Array*> order{mzArray};
    for (const Array& array : arrays_) {
        if (&array != mzArray)
            order.push_back(&array);
    }
    for (const Array* next : order) {
        const Array& array = *next;
        if (array.hasArrayLength && array.arrayLength != n) {
            continue;  // an array of another length is not per peak: it stays as it is
        }
        DecodedArray& values = &array == mzArray ? mz_ : values_;
        if (&array != mzArray) {
            std::string why;
            if (!DecodeArray(ArrayText(array), array.encoding, n, true, values, scratch_, why)) {
                Fail("spectrum \"" + spectrumId_ + "\": its " + ArrayName(array) +
                     " cannot be read: " + why);
                return false;
            }
        }
        if (kept == n)
            continue;
        SelectValues(values, array.encoding.Width(), keep_.data());
        if (&array == mzArray) {
            keptMz = &mz_;
            if (kept > 0) {
                lowest = ValueAt(mz_, array.encoding, 0);
                highest = lowest;
                for (std::size_t i = 0; i < kept; ++i) {
                    const double v = ValueAt(mz_, array.encoding, i);
                    lowest = std::min(lowest, v);
                    highest = std::max(highest, v);
                }
                const bool single =
                    array.encoding.type == ValueType::kFloat32 && !array.encoding.numpress;
                lowestText =
                    single ? FormatFloat(static_cast<float>(lowest)) : FormatDouble(lowest);
                highestText =
                    single ? FormatFloat(static_cast<float>(highest)) : FormatDouble(highest);
            }
        } else if (&array == intensityArray && keptMz != nullptr) {
            haveIntensity = true;
            std::size_t best = 0;
            for (std::size_t i = 0; i < kept; ++i) {
                const double v = ValueAt(values, array.encoding, i);
                tic += v;
                if (v > ValueAt(values, array.encoding, best))
                    best = i;
            }
            if (kept > 0) {
                basePeakIntensity = ValueAt(values, array.encoding, best);
                basePeakMz = ValueAt(mz_, mzArray->encoding, best);
                const bool singleI =
                    array.encoding.type == ValueType::kFloat32 && !array.encoding.numpress;
                const bool singleM =
                    mzArray->encoding.type == ValueType::kFloat32 && !mzArray->encoding.numpress;
                basePeakIntensityText = singleI ? FormatFloat(static_cast<float>(basePeakIntensity))
                                                : FormatDouble(basePeakIntensity);
                basePeakMzText = singleM ? FormatFloat(static_cast<float>(basePeakMz))
                                         : FormatDouble(basePeakMz);
            }
        }
        encoded_.clear();
        try {
            EncodeArray(values, array.encoding, scratch_, scratch2_, encoded_);
        } catch (const std::exception& e) {
            Fail("spectrum \"" + spectrumId_ + "\": its " + ArrayName(array) +
                 " cannot be encoded again: " + e.what());
            return false;
        }
        if (array.hasEncodedLength) {
            out_.Replace(array.encodedLengthBegin, array.encodedLengthEnd,
                         std::to_string(encoded_.size()));
        }
        if (array.hasArrayLength) {
            out_.Replace(array.arrayLengthBegin, array.arrayLengthEnd, std::to_string(kept));
        }
        out_.Replace(array.textBegin, array.textEnd, encoded_);
    }
    if (kept == n) {
        return true;
    }
    if (lengthEnd_ > lengthBegin_) {
        out_.Replace(lengthBegin_, lengthEnd_, std::to_string(kept));
    }
    for (const SummaryParam& param : summary_) {
        if (param.valueEnd <= param.valueBegin && param.kind != kTic)
            continue;
        if (kept == 0 && param.kind != kTic) {
            // No peak is left to state a base peak or a range of: the statement goes.
            const std::string_view before = scanner_.Window().View(spectrumBegin_, param.begin);
            const std::size_t indent = IndentBefore(before).size();
            const std::uint64_t from = indent > 0 && param.begin - indent - 1 >= spectrumTagEnd_
                                           ? param.begin - indent - 1
                                           : param.begin;
            out_.Replace(from, param.end, "");
            continue;
        }
        std::string value;
        switch (param.kind) {
            case kTic:
                if (!haveIntensity && kept > 0)
                    continue;
                value = FormatDouble(tic);
                break;
            case kBasePeakMz:
                if (!haveIntensity)
                    continue;
                value = basePeakMzText;
                break;
            case kBasePeakIntensity:
                if (!haveIntensity)
                    continue;
                value = basePeakIntensityText;
                break;
            case kLowestMz:
                value = lowestText;
                break;
            case kHighestMz:
                value = highestText;
                break;
            default:
                continue;
        }
        if (param.valueEnd > param.valueBegin || param.valueBegin != 0) {
            out_.Replace(param.valueBegin, param.valueEnd, value);
        }
    }
    return true;
}

void MzmlPass::StartEntryList(const StartTag& tag, EntryList& list) {
    const std::string_view raw = scanner_.Window().View(tag.begin, tag.end);
    if (const auto range = FindAttributeValue(raw, "count")) {
        list.countBegin = tag.begin + range->first;
        list.countEnd = tag.begin + range->second;
        list.count = stack_.back().declaredCount;
    }
}

void MzmlPass::EndEntryList(const EndTag& tag, EntryList& list) {
    // The count written back is the true one, whatever the file declared.
    list.count = list.count >= 0 ? static_cast<std::int64_t>(list.ids.size()) : -1;
    list.lastEnd = tag.begin;
    PlaceEntry(tag.begin, list);
}

void MzmlPass::PlaceEntry(std::uint64_t offset, EntryList& list) {
    const std::string_view before = scanner_.Window().View(hold_, offset);
    list.indent = IndentBefore(before);
    list.onOwnLine = OnOwnLine(before);
}

void MzmlPass::AddEntry(EntryList& list, const std::string& listName, const std::string& entry) {
    const std::string nl = list.onOwnLine ? Newline() : "";
    const std::string& indent = list.indent;
    if (list.missingAt > 0) {
        out_.Replace(list.missingAt, list.missingAt,
                     "<" + Tag(listName) + " count=\"1\">" + nl + indent + entry + nl + indent +
                         "</" + Tag(listName) + ">" + nl + indent);
    }
    if (list.count >= 0 && list.lastEnd > 0) {
        out_.Replace(list.lastEnd, list.lastEnd, entry + nl + indent);
        out_.Replace(list.countBegin, list.countEnd, std::to_string(list.count + 1));
    }
}

void MzmlPass::AddEntries() {
    if (!filtering_ || settings_.rules == nullptr)
        return;
    brevantoSoftwareId_ = UniqueId("Brevanto", software_.ids);
    const std::string processingId = UniqueId("Brevanto_peak_filter", processing_.ids);
    const std::string cv = EscapeXml(msCv_);
    {
        const std::string nl = software_.onOwnLine ? Newline() : "";
        const std::string& indent = software_.indent;
        AddEntry(software_, "softwareList",
                 "  <" + Tag("software") + " id=\"" + brevantoSoftwareId_ +
                     "\" version=\"" BREVANTO_VERSION "\">" + nl + indent + "    <" +
                     Tag("cvParam") + " cvRef=\"" + cv +
                     "\" accession=\"MS:1000799\" name=\"custom unreleased software "
                     "tool\" value=\"Brevanto\"/>" +
                     nl + indent + "  </" + Tag("software") + ">");
    }
    {
        const std::string nl = processing_.onOwnLine ? Newline() : "";
        const std::string& indent = processing_.indent;
        std::string entry = "  <" + Tag("dataProcessing") + " id=\"" + processingId + "\">" + nl +
                            indent + "    <" + Tag("processingMethod") +
                            " order=\"1\" softwareRef=\"" + brevantoSoftwareId_ + "\">" + nl +
                            indent + "      <" + Tag("cvParam") + " cvRef=\"" + cv +
                            "\" accession=\"MS:1001486\" name=\"data filtering\" value=\"\"/>";
        for (std::int32_t i = 0; i < settings_.rules->GetCount(); ++i) {
            entry += nl + indent + "      <" + Tag("userParam") +
                     " name=\"Brevanto rule\" value=\"" + EscapeXml(RuleText(*settings_.rules, i)) +
                     "\"/>";
        }
        entry += nl + indent + "    </" + Tag("processingMethod") + ">" + nl + indent + "  </" +
                 Tag("dataProcessing") + ">";
        AddEntry(processing_, "dataProcessingList", entry);
    }
}

bool MzmlPass::WriteIndex() {
    if (!filtering_)
        return true;
    out_.Insert(Newline());
    const std::uint64_t offset = out_.OutputOffset();
    // A kind without entries gets no index (the schema wants at least one offset in each);
    // a file of neither keeps an empty spectrum index, the one thing left to write.
    const bool spectra = spectrumIndex_.count > 0 || chromatogramIndex_.count == 0;
    const int kinds = (spectra ? 1 : 0) + (chromatogramIndex_.count > 0 ? 1 : 0);
    const std::string nl = Newline();
    out_.Insert("<" + Tag("indexList") + " count=\"" + std::to_string(kinds) + "\">" + nl);
    auto writeIndex = [&](Spill& spill, const char* name) {
        out_.Insert("  <" + Tag("index") + " name=\"" + name + "\">" + nl);
        if (spill.file != nullptr) {
            std::rewind(spill.file);
            char buffer[1 << 16];
            std::size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, spill.file)) > 0) {
                out_.Insert(std::string_view(buffer, got));
            }
            if (std::ferror(spill.file)) {
                Fail("cannot read back the index's temporary file");
            }
        }
        out_.Insert("  </" + Tag("index") + ">" + nl);
    };
    if (spectra) {
        writeIndex(spectrumIndex_, "spectrum");
    }
    if (chromatogramIndex_.count > 0) {
        writeIndex(chromatogramIndex_, "chromatogram");
    }
    out_.Insert("</" + Tag("indexList") + ">" + nl + "<" + Tag("indexListOffset") + ">" +
                std::to_string(offset) + "</" + Tag("indexListOffset") + ">" + nl + "<" +
                Tag("fileChecksum") + ">");
    const std::string digest = out_.EndHash();
    out_.Insert(digest + "</" + Tag("fileChecksum") + ">" + nl);
    return !out_.Failed();
}

bool MzmlPass::Finish(std::string& error) {
    const bool rootClosed = stack_.empty() && (rootEnded_ || wrappedEnded_);
    return FinishPass({error_, rootClosed, sawChecksum_, inputChecksum_, "fileChecksum"}, scanner_,
                      out_, settings_, error);
}

std::string MzmlPass::Holding() const {
    if (inSpectrum_)
        return "spectrum \"" + spectrumId_ + "\"";
    if (inHead_)
        return "the file's header (up to <run>)";
    return {};
}

}  // namespace mzml
