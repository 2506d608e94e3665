#include "tests/mzml_export/exported_document.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>

#include "mzml/base64.h"
#include "mzml/zlib_codec.h"

namespace {

std::uint64_t Number(std::string_view text) {
    std::uint64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size())
        << "not a number: \"" << text << "\"";
    return value;
}

std::string_view Between(std::string_view text, std::string_view open, std::string_view close) {
    const std::size_t begin = text.find(open);
    if (begin == std::string_view::npos)
        return {};
    const std::size_t end = text.find(close, begin + open.size());
    if (end == std::string_view::npos)
        return {};
    return text.substr(begin + open.size(), end - begin - open.size());
}

// The start tag of the first `element` (e.g. "<cvParam ") that contains `marker`.
std::optional<std::string_view> TagWith(std::string_view text, std::string_view element,
                                        std::string_view marker) {
    for (std::size_t at = text.find(element); at != std::string_view::npos;
         at = text.find(element, at + 1)) {
        const std::string_view tag = text.substr(at, text.find('>', at) - at + 1);
        if (tag.find(marker) != std::string_view::npos)
            return tag;
    }
    return std::nullopt;
}

DecodedArray DecodeArrayElement(std::string_view element) {
    DecodedArray array;
    array.encodedLength = Number(AttributeOf(element, "encodedLength").value_or(""));
    array.zlib = element.find("\"MS:1000574\"") != std::string_view::npos;
    array.bits = element.find("\"MS:1000523\"") != std::string_view::npos ? 64 : 32;
    EXPECT_NE(element.find(array.bits == 64 ? "\"MS:1000523\"" : "\"MS:1000521\""),
              std::string_view::npos)
        << "an array without a precision: " << element;
    for (const char* kind : {"MS:1000514", "MS:1000515", "MS:1000786"}) {
        if (element.find(std::string("\"") + kind + "\"") != std::string_view::npos) {
            array.kind = kind;
            array.kindValue = CvParamValue(element, kind).value_or("");
        }
    }
    const std::string_view binary = Between(element, "<binary>", "</binary>");
    array.binaryLength = binary.size();
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(mzml::Base64Decode(binary, std::size_t{1} << 30, bytes), mzml::Base64Result::kOk);
    if (array.zlib) {
        std::vector<std::uint8_t> inflated;
        EXPECT_EQ(mzml::ZlibInflate(bytes, std::size_t{1} << 30, inflated),
                  mzml::InflateResult::kOk);
        bytes.swap(inflated);
    }
    const std::size_t width = static_cast<std::size_t>(array.bits / 8);
    EXPECT_EQ(bytes.size() % width, 0u);
    for (std::size_t i = 0; i + width <= bytes.size(); i += width) {
        std::uint64_t bits = 0;
        for (std::size_t k = 0; k < width; ++k) {
            bits |= std::uint64_t{bytes[i + k]} << (8 * k);
        }
        array.values.push_back(width == 8 ? std::bit_cast<double>(bits)
                                          : std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    }
    return array;
}

}  // namespace

std::optional<std::string> AttributeOf(std::string_view tag, std::string_view name) {
    const std::string key = " " + std::string(name) + "=\"";
    const std::size_t end = tag.find('>');
    const std::size_t at = tag.substr(0, end).find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::size_t begin = at + key.size();
    return std::string(tag.substr(begin, tag.find('"', begin) - begin));
}

std::optional<std::string> UserParamValue(std::string_view element, std::string_view name) {
    const auto tag = TagWith(element, "<userParam ", "name=\"" + std::string(name) + "\"");
    return tag ? AttributeOf(*tag, "value") : std::nullopt;
}

std::optional<std::string> CvParamValue(std::string_view element, std::string_view accession) {
    const auto tag = TagWith(element, "<cvParam ", "accession=\"" + std::string(accession) + "\"");
    return tag ? AttributeOf(*tag, "value") : std::nullopt;
}

std::vector<ExportedSpectrum> ReadSpectra(const std::string& document) {
    std::vector<ExportedSpectrum> spectra;
    for (std::size_t at = document.find("<spectrum "); at != std::string::npos;
         at = document.find("<spectrum ", at + 1)) {
        const std::size_t end = document.find("</spectrum>", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a spectrum without its end tag at " << at;
            break;
        }
        ExportedSpectrum spectrum;
        spectrum.offset = at;
        spectrum.element = document.substr(at, end - at);
        spectrum.id = AttributeOf(spectrum.element, "id").value_or("");
        spectrum.index = Number(AttributeOf(spectrum.element, "index").value_or(""));
        spectrum.defaultArrayLength =
            Number(AttributeOf(spectrum.element, "defaultArrayLength").value_or(""));
        const std::string_view element = spectrum.element;
        for (std::size_t a = element.find("<binaryDataArray "); a != std::string_view::npos;
             a = element.find("<binaryDataArray ", a + 1)) {
            const std::size_t arrayEnd = element.find("</binaryDataArray>", a);
            spectrum.arrays.push_back(DecodeArrayElement(element.substr(a, arrayEnd - a)));
        }
        spectra.push_back(std::move(spectrum));
    }
    return spectra;
}

std::vector<IndexEntry> ReadIndex(const std::string& document, std::string_view name) {
    std::vector<IndexEntry> entries;
    const std::string open = "<index name=\"" + std::string(name) + "\">";
    const std::size_t begin = document.find(open);
    if (begin == std::string::npos)
        return entries;
    const std::size_t end = document.find("</index>", begin);
    const std::string_view index = std::string_view(document).substr(begin, end - begin);
    for (std::size_t at = index.find("<offset "); at != std::string_view::npos;
         at = index.find("<offset ", at + 1)) {
        const std::string_view rest = index.substr(at);
        entries.push_back(
            {AttributeOf(rest, "idRef").value_or(""), Number(Between(rest, ">", "</offset>"))});
    }
    return entries;
}
