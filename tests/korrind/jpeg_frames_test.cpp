// JPEG frame headers, and progressive office output rewritten as sequential files without loss.
#include "platform/korrind/jpeg_frames.h"
#include "tests/korrind/test_jpegs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

using namespace korrind;
namespace kt = swf_test;

std::vector<unsigned char> decode(const Bytes& jpeg) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * info.output_components;
    std::vector<unsigned char> pixels(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[] = {pixels.data() + stride * info.output_scanline};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

TEST(KorrindJpegFrame, ReadsTheFrameHeaderAndRefusesOtherData) {
    const auto frame = jpegFrame(kt::fakeJpeg(1024, 768));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->width, 1024);
    EXPECT_EQ(frame->height, 768);
    EXPECT_TRUE(frame->sequentialHuffman());

    EXPECT_FALSE(jpegFrame({0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a}).has_value());
    Bytes truncated = kt::fakeJpeg(10, 10);
    truncated.resize(12);
    EXPECT_FALSE(jpegFrame(truncated).has_value());
    EXPECT_FALSE(jpegFrame({}).has_value());
    EXPECT_FALSE(jpegFrame(kt::fakeJpeg(0, 10)).has_value());
}

TEST(KorrindSequentialJpeg, RewritesProgressiveFilesWithoutChangingAPixel) {
    const Bytes progressive = kt::gradientJpeg(72, 40, true);
    ASSERT_EQ(jpegFrame(progressive)->marker, 0xc2);
    const std::optional<Bytes> sequential = sequentialJpeg(progressive);
    ASSERT_TRUE(sequential.has_value());
    const auto frame = jpegFrame(*sequential);
    ASSERT_TRUE(frame.has_value());
    EXPECT_TRUE(frame->sequentialHuffman());
    EXPECT_EQ(frame->width, 72);
    EXPECT_EQ(frame->height, 40);
    EXPECT_EQ(decode(*sequential), decode(progressive));
}

TEST(KorrindSequentialJpeg, KeepsSequentialFilesAndRefusesUndecodableOnes) {
    const Bytes baseline = kt::gradientJpeg(16, 16, false);
    EXPECT_EQ(sequentialJpeg(baseline), baseline);

    Bytes broken = kt::fakeJpeg(16, 16);
    broken[9] = 0xc2; // a progressive frame header with no tables or scans behind it
    EXPECT_FALSE(sequentialJpeg(broken).has_value());
    EXPECT_FALSE(sequentialJpeg({0xff, 0xd8}).has_value());
}

} // namespace
