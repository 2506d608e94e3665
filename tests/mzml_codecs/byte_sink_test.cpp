#include "mzml/byte_sink.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "mzml/byte_source.h"
#include "tests/mzml_codecs/codec_test_files.h"

namespace {

class Descriptor {
  public:
    Descriptor(const std::string& path, int flags) : fd_(::open(path.c_str(), flags, 0644)) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

// The content as a reader of the file gets it back, inflated when it is gzip.
std::string ReadBack(const std::string& path, bool expectGzip) {
    std::string error;
    const auto source = mzml::ByteSource::Open(path, error);
    EXPECT_TRUE(source) << error;
    if (!source) {
        return {};
    }
    EXPECT_EQ(source->IsGzip(), expectGzip);
    std::string content;
    std::vector<std::uint8_t> buffer(1 << 16);
    std::ptrdiff_t got = 0;
    while ((got = source->Read(buffer.data(), buffer.size(), error)) > 0) {
        content.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(got));
    }
    EXPECT_EQ(got, 0) << error;
    return content;
}

// Small writes as an XML writer makes them, with large ones (a long array) among them, so
// the buffer fills, is bypassed, and fills again.
std::vector<std::string> Pieces() {
    std::vector<std::string> pieces;
    for (int i = 0; i < 30'000; ++i) {
        pieces.push_back("<cvParam accession=\"MS:" + std::to_string(1000000 + i) + "\"/>\n");
        if (i % 10'000 == 0) {
            pieces.push_back(
                PseudoRandomText((std::size_t{3} << 20) / 2 + static_cast<std::size_t>(i), 7));
        }
    }
    return pieces;
}

TEST(ByteSink, WritesContentPlainOrGzipAndCountsIt) {
    ScratchDir dir;
    std::string expected;
    for (const std::string& piece : Pieces()) {
        expected += piece;
    }
    for (const bool gzip : {false, true}) {
        const std::string path = dir.Path(gzip ? "out.mzML.gz" : "out.mzML");
        Descriptor fd(path, O_WRONLY | O_CREAT | O_TRUNC);
        ASSERT_GE(fd.fd(), 0);
        const auto sink = mzml::ByteSink::ToDescriptor(fd.fd(), gzip, path);
        std::uint64_t offset = 0;
        std::size_t i = 0;
        for (const std::string& piece : Pieces()) {
            const bool ok =
                (++i % 2 == 0)
                    ? sink->Write(piece)
                    : sink->Write(std::span<const std::uint8_t>(
                          reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()));
            ASSERT_TRUE(ok) << sink->Error();
            offset += piece.size();
            ASSERT_EQ(sink->Offset(), offset);
        }
        ASSERT_TRUE(sink->Finish()) << sink->Error();
        EXPECT_EQ(ReadBack(path, gzip), expected) << (gzip ? "gzip" : "plain");
        if (gzip) {
            EXPECT_LT(ReadFile(path).size(), expected.size());
        }
    }
}

TEST(ByteSink, EmptyContentMakesAnEmptyFileOrAnEmptyMember) {
    ScratchDir dir;
    for (const bool gzip : {false, true}) {
        const std::string path = dir.Path("empty");
        Descriptor fd(path, O_WRONLY | O_CREAT | O_TRUNC);
        const auto sink = mzml::ByteSink::ToDescriptor(fd.fd(), gzip, path);
        ASSERT_TRUE(sink->Finish()) << sink->Error();
        EXPECT_EQ(sink->Offset(), 0u);
        EXPECT_EQ(ReadFile(path).empty(), !gzip);
        EXPECT_EQ(ReadBack(path, gzip), "");
    }
}

TEST(ByteSink, GzipOutputIsTheSameForTheSameContent) {
    ScratchDir dir;
    std::string files[2];
    for (int i = 0; i < 2; ++i) {
        const std::string path = dir.Path("same" + std::to_string(i));
        Descriptor fd(path, O_WRONLY | O_CREAT | O_TRUNC);
        const auto sink = mzml::ByteSink::ToDescriptor(fd.fd(), true, path);
        ASSERT_TRUE(sink->Write(PseudoRandomText(100'000, 8)));
        ASSERT_TRUE(sink->Finish());
        files[i] = ReadFile(path);
    }
    EXPECT_EQ(files[0], files[1]);
}

// /dev/full refuses every write with ENOSPC, as a full disk does.
TEST(ByteSink, AFullDiskIsReportedWithTheSystemsReason) {
    for (const bool gzip : {false, true}) {
        for (const std::size_t size : {std::size_t{10}, std::size_t{3} << 20}) {
            Descriptor fd("/dev/full", O_WRONLY);
            ASSERT_GE(fd.fd(), 0);
            const auto sink = mzml::ByteSink::ToDescriptor(fd.fd(), gzip, "out.mzML");
            const std::string text = PseudoRandomText(size, 9);
            const bool wrote = sink->Write(text);
            const bool finished = wrote && sink->Finish();
            EXPECT_FALSE(finished) << gzip << " " << size;
            EXPECT_EQ(sink->Error(), "out.mzML: No space left on device") << gzip << " " << size;
            EXPECT_FALSE(sink->Write("more")) << "every later call fails";
            EXPECT_FALSE(sink->Finish()) << "every later call fails";
            EXPECT_EQ(sink->Error(), "out.mzML: No space left on device");
        }
    }
}

TEST(ByteSink, AClosedDescriptorIsReported) {
    const auto sink = mzml::ByteSink::ToDescriptor(-1, false, "gone.mzML");
    EXPECT_TRUE(sink->Write("buffered for now"));
    EXPECT_FALSE(sink->Finish());
    EXPECT_EQ(sink->Error(), "gone.mzML: Bad file descriptor");
}

}  // namespace
