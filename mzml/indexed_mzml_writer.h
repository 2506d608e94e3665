#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mzml/byte_sink.h"
#include "mzml/sha1.h"

namespace mzml {

// The frame of an indexed mzML document as we write it from scratch: every byte goes through
// here, so the offsets the index gives and the SHA-1 the file carries of itself are those of
// the bytes actually written. The caller writes the document; this class only counts, hashes
// and writes the tail after the index entries.
//
// Writes stop at the first failure of the sink; its message (naming the output and the
// system's reason) is then in Error().
class IndexedMzmlWriter {
  public:
    explicit IndexedMzmlWriter(ByteSink& sink) : sink_(sink) {}

    bool Write(std::string_view text);
    // The offset of the next byte to be written: what an index entry gives for an element
    // whose "<" is written next.
    std::uint64_t Offset() const { return sink_.Offset(); }

    // Starts the index list after </mzML> (its offset is what indexListOffset will give).
    bool BeginIndexList(int indexCount);
    bool BeginIndex(std::string_view name);
    bool WriteIndexEntry(std::string_view id, std::uint64_t offset);
    bool EndIndex();
    // Ends the index list, writes indexListOffset and the checksum of everything up to and
    // including "<fileChecksum>", and closes the root. Nothing may be written after it.
    bool EndDocument();

    const std::string& Error() const { return sink_.Error(); }

  private:
    ByteSink& sink_;
    Sha1 hash_;
    std::uint64_t indexListOffset_ = 0;
};

// The opening of the root element that wraps <mzML>.
inline constexpr std::string_view kIndexedMzmlStart =
    "<indexedmzML xmlns=\"http://psi.hupo.org/ms/mzml\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://psi.hupo.org/ms/mzml "
    "http://psidev.info/files/ms/mzML/xsd/mzML1.1.2_idx.xsd\">\n";

}  // namespace mzml
