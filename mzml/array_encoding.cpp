#include "mzml/array_encoding.h"

#include <fstream>
#include <map>

#include <pwiz/utility/minimxml/SAXParser.hpp>

namespace {

using pwiz::msdata::BinaryDataEncoder;
namespace cv = pwiz::cv;
namespace sax = pwiz::minimxml::SAXParser;

// How many leading spectra are looked at for one that has arrays.
constexpr std::size_t kSpectraToPeek = 16;

struct ArrayEncoding {
    cv::CVID kind = cv::CVID_Unknown;
    cv::CVID precision = cv::CVID_Unknown;
};

// Collects, for one <spectrum> (mzML) or <scan> (mzXML) element, the kind and precision of each
// array and whether any is zlib-compressed. Parameters given through a referenceable param
// group are looked up in the file's groups.
class EncodingHandler : public sax::Handler {
  public:
    explicit EncodingHandler(const pwiz::msdata::MSData& data) : msd(data) {}

    std::vector<ArrayEncoding> arrays;
    bool zlib = false;

    Status startElement(const std::string& name, const Attributes& attributes,
                        stream_offset) override {
        if (name == "binaryDataArray") {
            inArray = true;
            arrays.emplace_back();
        } else if (inArray && name == "cvParam") {
            std::string accession;
            getAttribute(attributes, "accession", accession);
            Note(accession);
        } else if (inArray && name == "referenceableParamGroupRef") {
            std::string ref;
            getAttribute(attributes, "ref", ref);
            for (const auto& group : msd.paramGroupPtrs) {
                if (group && group->id == ref) {
                    for (const auto& param : group->cvParams) {
                        Note(param.cvid);
                    }
                }
            }
        } else if (name == "peaks") {  // mzXML: one element for the m/z and intensity pairs
            std::string precisionText;
            std::string compression;
            getAttribute(attributes, "precision", precisionText);
            getAttribute(attributes, "compressionType", compression);
            const cv::CVID precision =
                precisionText == "64" ? cv::MS_64_bit_float : cv::MS_32_bit_float;
            arrays.push_back({cv::MS_m_z_array, precision});
            arrays.push_back({cv::MS_intensity_array, precision});
            zlib = zlib || compression == "zlib";
            return Status::Done;
        }
        return Status::Ok;
    }

    Status endElement(const std::string& name, stream_offset) override {
        if (name == "binaryDataArray") {
            inArray = false;
        }
        return name == "spectrum" || name == "chromatogram" ? Status::Done : Status::Ok;
    }

  private:
    void Note(const std::string& accession) {
        try {
            Note(cv::cvTermInfo(accession).cvid);
        } catch (const std::exception&) {
            // An accession the library does not know: it refuses such arrays when it reads
            // the spectrum, with its own message.
        }
    }

    void Note(cv::CVID id) {
        if (id == cv::MS_32_bit_float || id == cv::MS_64_bit_float) {
            arrays.back().precision = id;
        } else if (
            id == cv::MS_zlib_compression ||
            id == cv::MS_MS_Numpress_linear_prediction_compression_followed_by_zlib_compression ||
            id == cv::MS_MS_Numpress_positive_integer_compression_followed_by_zlib_compression ||
            id == cv::MS_MS_Numpress_short_logged_float_compression_followed_by_zlib_compression) {
            zlib = true;
        } else if (id != cv::CVID_Unknown && cv::cvIsA(id, cv::MS_binary_data_array)) {
            arrays.back().kind = id;
        }
    }

    const pwiz::msdata::MSData& msd;
    bool inArray = false;
};

}  // namespace

bool FitsInFloat(const std::vector<double>& values) {
    for (const double v : values) {
        // NaN never compares equal; a NaN stored 32-bit is still a NaN, so it fits.
        if (static_cast<double>(static_cast<float>(v)) != v && v == v) {
            return false;
        }
    }
    return true;
}

namespace {

// The arrays of the element at `position`, or none when it has no position.
EncodingHandler Peek(const std::string& path, const pwiz::msdata::MSData& msd,
                     std::streamoff position) {
    EncodingHandler handler(msd);
    if (position >= 0) {
        std::ifstream in(path, std::ios::binary);
        in.seekg(position);
        sax::parse(in, handler);
    }
    return handler;
}

}  // namespace

BinaryDataEncoder::Config InputArrayEncoding(const std::string& path,
                                             const pwiz::msdata::MSData& msd) {
    BinaryDataEncoder::Config config;
    config.precision = BinaryDataEncoder::Precision_64;
    config.compression = BinaryDataEncoder::Compression_None;
    std::vector<EncodingHandler> peeked;
    if (const auto& spectra = msd.run.spectrumListPtr) {
        for (std::size_t i = 0; i < spectra->size() && i < kSpectraToPeek; ++i) {
            peeked.push_back(Peek(path, msd, spectra->spectrumIdentity(i).sourceFilePosition));
            if (!peeked.back().arrays.empty()) {
                break;
            }
        }
    }
    const auto& chromatograms = msd.run.chromatogramListPtr;
    if (chromatograms && chromatograms->size() > 0) {
        peeked.push_back(
            Peek(path, msd, chromatograms->chromatogramIdentity(0).sourceFilePosition));
    }
    // A kind is written 32-bit only when every array of it that was looked at is 32-bit.
    std::map<cv::CVID, bool> all32;
    for (const EncodingHandler& handler : peeked) {
        for (const ArrayEncoding& array : handler.arrays) {
            if (array.kind != cv::CVID_Unknown) {
                const bool is32 = array.precision == cv::MS_32_bit_float;
                all32[array.kind] = all32.count(array.kind) ? all32[array.kind] && is32 : is32;
            }
        }
        if (handler.zlib) {
            config.compression = BinaryDataEncoder::Compression_Zlib;
        }
    }
    // Chromatograms are few and are not checked as they are written, so each is checked here:
    // a kind that any chromatogram holds 64-bit values of stays 64-bit.
    for (std::size_t i = 0; chromatograms && i < chromatograms->size(); ++i) {
        const auto chromatogram = chromatograms->chromatogram(i, true);
        for (const auto& array : chromatogram->binaryDataArrayPtrs) {
            for (auto& [kind, is32] : all32) {
                if (is32 && array && array->hasCVParam(kind) && !FitsInFloat(array->data)) {
                    is32 = false;
                }
            }
        }
    }
    for (const auto& [kind, is32] : all32) {
        if (is32) {
            config.precisionOverrides[kind] = BinaryDataEncoder::Precision_32;
        }
    }
    return config;
}
