#include "mzml/mzxml_pass.h"

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

MzxmlPass::MzxmlPass(MarkupScanner& scanner, OutputSplicer& out, const PassSettings& settings,
                     SpectrumCounts& counts)
    : scanner_(scanner),
      out_(out),
      settings_(settings),
      counts_(counts),
      filtering_(settings.sink != nullptr) {}

MzxmlPass::~MzxmlPass() {
    if (index_ != nullptr)
        std::fclose(index_);
}

void MzxmlPass::Fail(const std::string& what) {
    if (error_.empty())
        error_ = what;
    scanner_.Fail(what);
}

void MzxmlPass::Release(std::uint64_t upTo) {
    out_.CopyTo(upTo);
    hold_ = upTo;
    if (out_.Failed())
        Fail("writing the output failed");
}

MzxmlPass::Range MzxmlPass::AttributeRange(const StartTag& tag, std::string_view name) const {
    const auto found = FindAttributeValue(scanner_.Window().View(tag.begin, tag.end), name);
    if (!found)
        return {};
    return {tag.begin + found->first, tag.begin + found->second};
}

bool MzxmlPass::AddToIndex(const std::string& id, std::uint64_t offset) {
    if (!filtering_)
        return true;
    if (index_ == nullptr && (index_ = std::tmpfile()) == nullptr) {
        Fail(std::string("cannot make a temporary file for the index: ") + std::strerror(errno));
        return false;
    }
    const std::string line = "<" + prefix_ + "offset id=\"" + EscapeXml(id) + "\">" +
                             std::to_string(offset) + "</" + prefix_ + "offset>" +
                             (crlf_ ? "\r\n" : "\n");
    if (std::fwrite(line.data(), 1, line.size(), index_) != line.size()) {
        Fail(std::string("cannot write the index's temporary file: ") + std::strerror(errno));
        return false;
    }
    return true;
}

namespace {

// xs:duration as mzXML writes retention times ("PT12.5S", "PT1M3S"); NaN when unreadable.
double DurationSeconds(std::string_view text) {
    if (text.size() < 3 || text.substr(0, 2) != "PT")
        return kAbsent;
    text.remove_prefix(2);
    double seconds = 0;
    while (!text.empty()) {
        std::size_t unit = 0;
        while (unit < text.size() &&
               (std::isdigit(static_cast<unsigned char>(text[unit])) || text[unit] == '.' ||
                text[unit] == '-' || text[unit] == 'e' || text[unit] == 'E' || text[unit] == '+')) {
            ++unit;
        }
        if (unit == text.size())
            return kAbsent;
        const auto value = ParseNumber(text.substr(0, unit));
        if (!value)
            return kAbsent;
        switch (text[unit]) {
            case 'H':
                seconds += *value * 3600;
                break;
            case 'M':
                seconds += *value * 60;
                break;
            case 'S':
                seconds += *value;
                break;
            default:
                return kAbsent;
        }
        text.remove_prefix(unit + 1);
    }
    return seconds;
}

}  // namespace

void MzxmlPass::OnStart(const StartTag& tag) {
    const std::string_view name = tag.name;
    const std::string parent = stack_.empty() ? std::string() : stack_.back();
    stack_.emplace_back(name);
    if (stack_.size() == 1) {
        prefix_ = TagPrefix(scanner_.Window().View(tag.begin, tag.end));
        crlf_ = scanner_.Window().View(0, tag.begin).find("\r\n") != std::string_view::npos;
        return;
    }
    if (runEnded_) {
        if (name == "sha1") {
            inChecksum_ = sawChecksum_ = true;
            inputChecksum_.clear();
            scanner_.EndInputChecksumAt(tag.end);
        }
        out_.SkipTo(tag.end);
        hold_ = tag.end;
        return;
    }
    if (name == "msRun") {
        if (const char* count = tag.Attribute("scanCount")) {
            const auto value = ParseCount(count);
            if (!value) {
                Fail(std::string("msRun says scanCount=\"") + count + "\", not a number");
                return;
            }
            declaredScans_ = static_cast<std::int64_t>(*value);
        }
    } else if (name == "dataProcessing" && parent == "msRun") {
        processingIndent_ = IndentBefore(scanner_.Window().View(hold_, tag.begin));
        processingOnOwnLine_ = OnOwnLine(scanner_.Window().View(hold_, tag.begin));
    } else if (name == "scan" ||
               ((name == "separation" || name == "spotting") && parent == "msRun")) {
        if (lastProcessingEnd_ == 0 && parent == "msRun" && !entryPlaced_) {
            // No <dataProcessing> before: ours goes where the schema wants one, here.
            PlaceEntryBefore(tag.begin);
        }
        if (name != "scan") {
            if (!inHead_)
                Release(tag.end);
            return;
        }
        if (inHead_) {
            inHead_ = false;
            AddEntry();
        }
        if (!scans_.empty() && !scans_.back().finished && !FinishScan(scans_.back())) {
            return;
        }
        Release(tag.begin);
        ++scansSeen_;
        Scan scan;
        const char* num = tag.Attribute("num");
        scan.num = num ? num : "";
        AddToIndex(scan.num, out_.OutputOffset());
        scan.begin = tag.begin;
        scan.tagEnd = tag.end;
        scan.meta.nativeId = "scan=" + scan.num;
        scan.meta.sourceIndex = static_cast<std::uint32_t>(scansSeen_ - 1);
        if (const char* level = tag.Attribute("msLevel")) {
            const auto value = ParseCount(level);
            if (!value || *value > 1000000) {
                Fail("scan " + scan.num + " has an msLevel of \"" + level + "\"");
                return;
            }
            scan.meta.msLevel = static_cast<std::int32_t>(*value);
            scan.levelStated = true;
        }
        if (const char* count = tag.Attribute("peaksCount")) {
            const auto value = ParseCount(count);
            if (!value) {
                Fail("scan " + scan.num + " has a peaksCount of \"" + count + "\"");
                return;
            }
            scan.peaksCount = *value;
            scan.hasPeaksCount = true;
            scan.peaksCountValue = AttributeRange(tag, "peaksCount");
        }
        auto number = [&](const char* attribute, Range& range, double& into) {
            if (const char* text = tag.Attribute(attribute)) {
                into = ParseNumber(text).value_or(kAbsent);
                range = AttributeRange(tag, attribute);
            }
        };
        number("totIonCurrent", scan.tic, scan.meta.totalIonCurrent);
        number("basePeakMz", scan.basePeakMz, scan.meta.basePeakMz);
        number("basePeakIntensity", scan.basePeakIntensity, scan.meta.basePeakIntensity);
        number("lowMz", scan.lowMz, scan.meta.lowestMz);
        number("highMz", scan.highMz, scan.meta.highestMz);
        if (const char* time = tag.Attribute("retentionTime")) {
            scan.meta.retentionSeconds = DurationSeconds(time);
        }
        if (const char* polarity = tag.Attribute("polarity")) {
            scan.meta.negative = std::string_view(polarity) == "-";
        }
        if (const char* centroided = tag.Attribute("centroided")) {
            scan.meta.profile = std::string_view(centroided) == "0";
        }
        scans_.push_back(std::move(scan));
        return;
    } else if (name == "peaks" && !scans_.empty()) {
        Scan& scan = scans_.back();
        if (scan.hasPeaks) {
            Fail("scan " + scan.num + " holds more than one <peaks> element");
            return;
        }
        scan.hasPeaks = true;
        inPeaks_ = true;
        const char* precision = tag.Attribute("precision");
        const std::string_view bits = precision ? precision : "32";
        scan.encoding.type = bits == "64"   ? ValueType::kFloat64
                             : bits == "32" ? ValueType::kFloat32
                                            : ValueType::kUnknown;
        scan.encoding.bigEndian = true;
        if (const char* order = tag.Attribute("byteOrder")) {
            if (std::string_view(order) != "network") {
                scan.encoding.bigEndian = false;
                scan.encoding.type = ValueType::kUnknown;
            }
        }
        const char* compression = tag.Attribute("compressionType");
        if (compression != nullptr && std::string_view(compression) == "zlib") {
            scan.encoding.zlib = true;
        } else if (compression != nullptr && std::string_view(compression) != "none") {
            scan.encoding.unknownCompression = compression;
        }
        const char* content = tag.Attribute("contentType");
        if (content == nullptr)
            content = tag.Attribute("pairOrder");
        scan.contentType = content ? content : "m/z-int";
        scan.pairsMzInt = scan.contentType == "m/z-int";
        scan.compressedLenValue = AttributeRange(tag, "compressedLen");
        if (const char* length = tag.Attribute("compressedLen")) {
            const auto value = ParseCount(length);
            if (!value) {
                Fail("scan " + scan.num + ": compressedLen \"" + length + "\" is not a number");
                return;
            }
            scan.hasCompressedLen = true;
            scan.compressedLen = *value;
        }
        scan.textBegin = scan.textEnd = tag.end;
        scan.text.clear();
        return;
    } else if (name == "precursorMz" && !scans_.empty()) {
        Scan& scan = scans_.back();
        if (++scan.precursors == 1) {
            inPrecursor_ = true;
            precursorText_.clear();
            if (const char* charge = tag.Attribute("precursorCharge")) {
                const auto value = ParseNumber(charge);
                if (value && std::abs(*value) < 1000) {
                    scan.meta.precursorCharge = static_cast<std::int32_t>(*value);
                }
            }
        }
        return;
    }
    if (!inHead_ && scans_.empty()) {
        Release(tag.end);
    }
}

void MzxmlPass::OnEnd(const EndTag& tag) {
    const std::string name = stack_.empty() ? std::string() : stack_.back();
    if (!stack_.empty())
        stack_.pop_back();
    if (stack_.empty()) {
        // </mzXML>: our index and checksum take the place of the input's.
        rootEnded_ = true;
        if (!runEnded_) {
            Fail("the file ends its root element without ending <msRun>");
            return;
        }
        out_.SkipTo(tag.begin);
        WriteIndex();
        Release(tag.end);
        return;
    }
    if (runEnded_) {
        if (name == "sha1")
            inChecksum_ = false;
        out_.SkipTo(tag.end);
        hold_ = tag.end;
        return;
    }
    if (name == "peaks" && inPeaks_) {
        inPeaks_ = false;
        Scan& scan = scans_.back();
        if (!scan.rangeText) {
            scan.textEnd = tag.begin == tag.end ? scan.textBegin : tag.begin;
        }
        return;
    }
    if (name == "precursorMz" && inPrecursor_) {
        inPrecursor_ = false;
        scans_.back().meta.precursorMz = ParseNumber(precursorText_).value_or(kAbsent);
        return;
    }
    if (name == "dataProcessing" && stack_.size() >= 1 && stack_.back() == "msRun") {
        lastProcessingEnd_ = tag.end;
    }
    if (name == "scan" && !scans_.empty()) {
        Scan& scan = scans_.back();
        if (!scan.finished && !FinishScan(scan))
            return;
        scans_.pop_back();
        Release(tag.end);
        return;
    }
    if (name == "msRun") {
        if (lastProcessingEnd_ == 0 && !entryPlaced_) {
            PlaceEntryBefore(tag.begin);
        }
        if (inHead_) {
            inHead_ = false;
            AddEntry();
        }
        Release(tag.end);
        runEnded_ = true;
        return;
    }
    if (!inHead_ && scans_.empty()) {
        Release(tag.end);
    }
}

void MzxmlPass::OnText(std::string_view text) {
    if (inPeaks_) {
        Scan& scan = scans_.back();
        if (scan.text.size() + text.size() > kMaxHeldBytes) {
            Fail("scan " + scan.num + ": its peaks' text is larger than the " +
                 std::to_string(kMaxHeldBytes >> 20) + " MiB this reader holds");
            return;
        }
        scan.text.append(text);
    } else if (inPrecursor_) {
        precursorText_.append(text);
    } else if (inChecksum_) {
        inputChecksum_.append(text);
    }
}

void MzxmlPass::OnArrayText(std::uint64_t begin, std::uint64_t end) {
    if (inPeaks_) {
        Scan& scan = scans_.back();
        scan.rangeText = true;
        scan.textBegin = begin;
        scan.textEnd = end;
    }
}

std::string_view MzxmlPass::PeaksText(const Scan& scan) const {
    return scan.rangeText ? scanner_.Window().View(scan.textBegin, scan.textEnd)
                          : std::string_view(scan.text);
}

bool MzxmlPass::DecodePeaks(Scan& scan) {
    if (!scan.pairsMzInt) {
        Fail("scan " + scan.num + ": its peaks hold \"" + scan.contentType +
             "\"; only m/z-intensity pairs can be filtered");
        return false;
    }
    const std::string_view text = PeaksText(scan);
    if (scan.hasCompressedLen && scan.encoding.zlib) {
        // compressedLen counts the zlib bytes the base64 text holds.
        std::size_t chars = 0, padding = 0;
        for (const char c : text) {
            if (c == '=')
                ++padding;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
                ++chars;
        }
        const std::size_t bytes = chars / 4 * 3 - std::min<std::size_t>(padding, 2);
        if (chars % 4 == 0 && bytes != scan.compressedLen) {
            Fail("scan " + scan.num + ": its peaks say compressedLen=\"" +
                 std::to_string(scan.compressedLen) + "\" but hold " + std::to_string(bytes) +
                 " compressed bytes");
            return false;
        }
    }
    std::string why;
    if (!DecodeArray(text, scan.encoding, scan.peaksCount * 2, true, pairs_, scratch_, why)) {
        Fail("scan " + scan.num + ": its peaks cannot be read: " + why);
        return false;
    }
    return true;
}

bool MzxmlPass::FinishScan(Scan& scan) {
    scan.finished = true;
    if (!scan.hasPeaksCount && scan.hasPeaks) {
        Fail("scan " + scan.num + " has peaks but no peaksCount");
        return false;
    }
    const bool ok = filtering_ ? FilterScan(scan) : ReadScan(scan);
    if (ok && settings_.progress) {
        settings_.progress(scanner_.FilePosition(), scanner_.FileSize());
    }
    return ok;
}

bool MzxmlPass::ReadScan(Scan& scan) {
    SpectrumPeaks peaks;
    peaks.scan = scan.meta;
    if (!scan.levelStated)
        peaks.scan.msLevel = 0;
    const bool decode = !settings_.decodeLevel || settings_.decodeLevel(peaks.scan.msLevel);
    if (decode && scan.hasPeaks && scan.peaksCount > 0) {
        if (!DecodePeaks(scan))
            return false;
        peaks.mz.resize(scan.peaksCount);
        peaks.intensity.resize(scan.peaksCount);
        for (std::size_t i = 0; i < scan.peaksCount; ++i) {
            peaks.mz[i] = ValueAt(pairs_, scan.encoding, 2 * i);
            peaks.intensity[i] = ValueAt(pairs_, scan.encoding, 2 * i + 1);
        }
    }
    counts_.Count(peaks.scan.msLevel, peaks.mz.size(), peaks.mz.size(), false);
    if (settings_.onSpectrum) {
        std::string why;
        if (!settings_.onSpectrum(peaks, why)) {
            Fail(why);
            return false;
        }
    }
    return true;
}

bool MzxmlPass::FilterScan(Scan& scan) {
    const std::int32_t level = scan.levelStated ? scan.meta.msLevel : 0;
    const processing::FunctionFilter* filter =
        scan.levelStated ? counts_.FilterFor(level) : nullptr;
    const std::uint64_t n = scan.peaksCount;
    if (filter == nullptr || n == 0) {
        counts_.Count(level, n, n, filter != nullptr);
        return true;
    }
    if (!scan.hasPeaks) {
        Fail("scan " + scan.num + " says peaksCount=\"" + std::to_string(n) +
             "\" but has no <peaks>");
        return false;
    }
    if (n > kMaxArrayValues) {
        Fail("scan " + scan.num + " declares " + std::to_string(n) + " peaks, more than the " +
             std::to_string(kMaxArrayValues) + " this reader takes in one scan");
        return false;
    }
    if (!DecodePeaks(scan))
        return false;
    masses_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        masses_[i] = static_cast<float>(ValueAt(pairs_, scan.encoding, 2 * i));
    }
    keep_.assign((n + 63) / 64, 0);
    filter->Decide(masses_.data(), static_cast<std::uint32_t>(n), keep_.data());
    std::uint64_t kept = 0;
    for (const std::uint64_t word : keep_)
        kept += static_cast<std::uint64_t>(std::popcount(word));
    counts_.Count(level, n, kept, true);
    if (kept == n)
        return true;

    const std::size_t width = scan.encoding.Width();
    pairs_.count = n;  // select whole pairs
    SelectValues(pairs_, 2 * width, keep_.data());
    pairs_.count = 2 * kept;
    const bool single = scan.encoding.type == ValueType::kFloat32;
    auto text = [&](double v) {
        return single ? FormatFloat(static_cast<float>(v)) : FormatDouble(v);
    };
    double tic = 0, lowest = 0, highest = 0, baseMz = 0, baseIntensity = 0;
    for (std::size_t i = 0; i < kept; ++i) {
        const double mz = ValueAt(pairs_, scan.encoding, 2 * i);
        const double intensity = ValueAt(pairs_, scan.encoding, 2 * i + 1);
        tic += intensity;
        if (i == 0 || mz < lowest)
            lowest = mz;
        if (i == 0 || mz > highest)
            highest = mz;
        if (i == 0 || intensity > baseIntensity) {
            baseIntensity = intensity;
            baseMz = mz;
        }
    }
    encoded_.clear();
    try {
        EncodeArray(pairs_, scan.encoding, scratch_, scratch2_, encoded_);
    } catch (const std::exception& e) {
        Fail("scan " + scan.num + ": its peaks cannot be encoded again: " + e.what());
        return false;
    }
    out_.Replace(scan.peaksCountValue.begin, scan.peaksCountValue.end, std::to_string(kept));
    if (scan.tic.Present())
        out_.Replace(scan.tic.begin, scan.tic.end, FormatDouble(tic));
    if (scan.basePeakMz.Present())
        out_.Replace(scan.basePeakMz.begin, scan.basePeakMz.end, text(baseMz));
    if (scan.basePeakIntensity.Present())
        out_.Replace(scan.basePeakIntensity.begin, scan.basePeakIntensity.end, text(baseIntensity));
    if (scan.lowMz.Present())
        out_.Replace(scan.lowMz.begin, scan.lowMz.end, text(lowest));
    if (scan.highMz.Present())
        out_.Replace(scan.highMz.begin, scan.highMz.end, text(highest));
    if (scan.compressedLenValue.Present()) {
        // The length of the compressed bytes, before base64.
        std::size_t bytes = encoded_.size() / 4 * 3;
        if (!encoded_.empty() && encoded_.back() == '=')
            --bytes;
        if (encoded_.size() > 1 && encoded_[encoded_.size() - 2] == '=')
            --bytes;
        out_.Replace(scan.compressedLenValue.begin, scan.compressedLenValue.end,
                     std::to_string(scan.encoding.zlib ? bytes : 0));
    }
    out_.Replace(scan.textBegin, scan.textEnd, encoded_);
    return true;
}

void MzxmlPass::PlaceEntryBefore(std::uint64_t offset) {
    const std::string_view before = scanner_.Window().View(hold_, offset);
    processingIndent_ = IndentBefore(before);
    processingOnOwnLine_ = OnOwnLine(before);
    // The entry is written after the offset's indentation: it ends with one of its own.
    lastProcessingEnd_ = offset;
    entryBefore_ = true;
}

void MzxmlPass::AddEntry() {
    if (entryPlaced_)
        return;
    entryPlaced_ = true;
    if (!filtering_ || settings_.rules == nullptr || lastProcessingEnd_ == 0)
        return;
    const std::string nl = processingOnOwnLine_ ? std::string(crlf_ ? "\r\n" : "\n") : "";
    const std::string& indent = processingIndent_;
    std::string entry =
        nl + indent + "<" + prefix_ + "dataProcessing>" + nl + indent + "  <" + prefix_ +
        "software type=\"processing\" name=\"Brevanto\" version=\"" BREVANTO_VERSION "\"/>";
    for (std::int32_t i = 0; i < settings_.rules->GetCount(); ++i) {
        entry += nl + indent + "  <" + prefix_ +
                 "processingOperation name=\"Brevanto rule\" value=\"" +
                 EscapeXml(RuleText(*settings_.rules, i)) + "\"/>";
    }
    entry += nl + indent + "</" + prefix_ + "dataProcessing>";
    if (entryBefore_) {
        // Placed before another element: the entry starts where that element's line does
        // and hands the indentation back to it.
        entry = entry.substr(nl.size() + indent.size()) + nl + indent;
    }
    out_.Replace(lastProcessingEnd_, lastProcessingEnd_, entry);
}

void MzxmlPass::WriteIndex() {
    if (!filtering_)
        return;
    const std::string nl = crlf_ ? "\r\n" : "\n";
    out_.Insert(nl);
    const std::uint64_t offset = out_.OutputOffset();
    out_.Insert("<" + prefix_ + "index name=\"scan\">" + nl);
    if (index_ != nullptr) {
        std::rewind(index_);
        char buffer[1 << 16];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, index_)) > 0) {
            out_.Insert(std::string_view(buffer, got));
        }
        if (std::ferror(index_))
            Fail("cannot read back the index's temporary file");
    }
    out_.Insert("</" + prefix_ + "index>" + nl + "<" + prefix_ + "indexOffset>" +
                std::to_string(offset) + "</" + prefix_ + "indexOffset>" + nl + "<" + prefix_ +
                "sha1>");
    const std::string digest = out_.EndHash();
    out_.Insert(digest + "</" + prefix_ + "sha1>" + nl);
}

bool MzxmlPass::Finish(std::string& error) {
    return FinishPass({error_, rootEnded_, sawChecksum_, inputChecksum_, "sha1"}, scanner_, out_,
                      settings_, error);
}

std::string MzxmlPass::Holding() const {
    if (!scans_.empty())
        return "scan " + scans_.back().num;
    if (inHead_)
        return "the file's header (up to the first scan)";
    return {};
}

}  // namespace mzml
