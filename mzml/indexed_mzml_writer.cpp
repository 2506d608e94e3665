#include "mzml/indexed_mzml_writer.h"

#include "mzml/tag_text.h"

namespace mzml {

bool IndexedMzmlWriter::Write(std::string_view text) {
    hash_.Update(text);
    return sink_.Write(text);
}

bool IndexedMzmlWriter::BeginIndexList(int indexCount) {
    if (!Write("  ")) {
        return false;
    }
    indexListOffset_ = Offset();
    return Write("<indexList count=\"" + std::to_string(indexCount) + "\">\n");
}

bool IndexedMzmlWriter::BeginIndex(std::string_view name) {
    return Write("    <index name=\"" + EscapeXml(name) + "\">\n");
}

bool IndexedMzmlWriter::WriteIndexEntry(std::string_view id, std::uint64_t offset) {
    return Write("      <offset idRef=\"" + EscapeXml(id) + "\">" + std::to_string(offset) +
                 "</offset>\n");
}

bool IndexedMzmlWriter::EndIndex() {
    return Write("    </index>\n");
}

bool IndexedMzmlWriter::EndDocument() {
    if (!Write("  </indexList>\n  <indexListOffset>" + std::to_string(indexListOffset_) +
               "</indexListOffset>\n  <fileChecksum>")) {
        return false;
    }
    const std::string digest = hash_.HexDigest();
    return sink_.Write(digest + "</fileChecksum>\n</indexedmzML>\n");
}

}  // namespace mzml
