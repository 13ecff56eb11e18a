// The SWF writer's output read back by the tests' independent reader of the format.
#include "platform/swf/swf_writer.h"
#include "tests/support/swf_reading.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace murano::swf;

namespace {

using swf_test::BitReader;
using swf_test::MovieFile;
using swf_test::readMatrix;
using swf_test::readRect;

MovieFile parse(const Bytes& file) {
    return swf_test::readMovie(file);
}

std::vector<std::uint16_t> codes(const MovieFile& movie) {
    std::vector<std::uint16_t> out;
    for (const swf_test::Tag& tag : movie.tags) {
        out.push_back(static_cast<std::uint16_t>(tag.code));
    }
    return out;
}

} // namespace

TEST(SwfWriter, MinimalMovieHasHeaderBackgroundOneFrameAndEnd) {
    MovieHeader header;
    header.version = 10;
    header.frameSize = {0, twips(855), 0, twips(532)};
    header.frameRate = 24.5;
    Movie movie(header);
    movie.setBackgroundColor({0x0b, 0x0e, 0x16});
    movie.showFrame();
    const Bytes file = movie.finish();

    const MovieFile parsed = parse(file);
    EXPECT_EQ(std::string(parsed.signature, 3), "FWS");
    EXPECT_EQ(parsed.version, 10);
    EXPECT_EQ(parsed.declaredLength, file.size());
    EXPECT_EQ(parsed.frameSize.xMin, 0);
    EXPECT_EQ(parsed.frameSize.xMax, 855 * 20);
    EXPECT_EQ(parsed.frameSize.yMax, 532 * 20);
    EXPECT_DOUBLE_EQ(parsed.frameRate, 24.5);
    EXPECT_EQ(parsed.frameCount, 1);
    // File attributes first (required from version 8), then colour, frame, end.
    EXPECT_EQ(codes(parsed), (std::vector<std::uint16_t>{69, 9, 1, 0}));
    EXPECT_EQ(parsed.tags[1].body, (Bytes{0x0b, 0x0e, 0x16}));
}

TEST(SwfWriter, OldVersionsHaveNoFileAttributesAndEndIsWrittenOnce) {
    MovieHeader header;
    header.version = 6;
    Movie movie(header);
    movie.showFrame();
    movie.showFrame();
    movie.end();
    const MovieFile parsed = parse(movie.finish());
    EXPECT_EQ(codes(parsed), (std::vector<std::uint16_t>{1, 1, 0}));
    EXPECT_EQ(parsed.frameCount, 2);
}

TEST(SwfWriter, CompressedMovieInflatesToTheSameTagsAndDeclaresPlainLength) {
    MovieHeader header;
    header.frameSize = {0, twips(640), 0, twips(480)};
    const auto build = [&header](Compression compression) {
        Movie movie(header);
        movie.setBackgroundColor({1, 2, 3});
        movie.defineBitsJpeg2(1, Bytes(500, 0xaa)); // long enough for a long tag header
        movie.showFrame();
        return movie.finish(compression);
    };
    const Bytes plain = build(Compression::None);
    const Bytes packed = build(Compression::Zlib);
    const MovieFile parsed = parse(packed);
    EXPECT_EQ(std::string(parsed.signature, 3), "CWS");
    EXPECT_EQ(parsed.declaredLength, plain.size());
    EXPECT_EQ(parsed.uncompressedSize, plain.size());
    EXPECT_LT(packed.size(), plain.size());
    EXPECT_EQ(codes(parsed), codes(parse(plain)));
}

TEST(SwfWriter, JpegBitmapShapeAndPlacementReadBack) {
    MovieHeader header;
    header.frameSize = {0, twips(960), 0, twips(720)};
    Movie movie(header);
    const Bytes jpeg = {0xff, 0xd8, 0x01, 0x02, 0x03, 0xff, 0xd9};
    movie.defineBitsJpeg2(7, jpeg);
    const Rect bounds{0, twips(960), 0, twips(720)};
    movie.defineBitmapRectangle(8, 7, bounds, 480, 360);
    Matrix place;
    place.translateX = -twips(10);
    place.translateY = twips(5);
    place.scaleX = 0.5;
    place.scaleY = 2.0;
    movie.placeObject2(1, 8, place);
    movie.showFrame();
    const MovieFile parsed = parse(movie.finish());
    ASSERT_EQ(codes(parsed), (std::vector<std::uint16_t>{69, 21, 2, 26, 1, 0}));

    BitReader bitmap(parsed.tags[1].body);
    EXPECT_EQ(bitmap.u16(), 7);
    EXPECT_EQ(bitmap.take(jpeg.size()), jpeg);

    BitReader shape(parsed.tags[2].body);
    EXPECT_EQ(shape.u16(), 8);
    const auto shapeBounds = readRect(shape);
    EXPECT_EQ(shapeBounds.xMax, twips(960));
    EXPECT_EQ(shapeBounds.yMax, twips(720));
    EXPECT_EQ(shape.u8(), 1);    // one fill style
    EXPECT_EQ(shape.u8(), 0x41); // clipped bitmap
    EXPECT_EQ(shape.u16(), 7);
    const auto fill = readMatrix(shape);
    EXPECT_DOUBLE_EQ(fill.scaleX, 40.0); // 960 px in twips over 480 bitmap pixels
    EXPECT_DOUBLE_EQ(fill.scaleY, 40.0);
    EXPECT_EQ(shape.u8(), 0); // no line styles
    EXPECT_EQ(shape.bits(4), 1u);
    EXPECT_EQ(shape.bits(4), 0u);
    // Move to the corner with fill style 1, then four edges that close the rectangle.
    EXPECT_EQ(shape.bits(6), 0b000101u);
    const int moveBits = static_cast<int>(shape.bits(5));
    EXPECT_EQ(shape.signedBits(moveBits), 0);
    EXPECT_EQ(shape.signedBits(moveBits), 0);
    EXPECT_EQ(shape.bits(1), 1u);
    std::int32_t x = 0;
    std::int32_t y = 0;
    for (int edge = 0; edge < 4; ++edge) {
        ASSERT_EQ(shape.bits(2), 0b11u);
        const int bits = static_cast<int>(shape.bits(4)) + 2;
        ASSERT_EQ(shape.bits(1), 1u);
        const std::int32_t dx = shape.signedBits(bits);
        const std::int32_t dy = shape.signedBits(bits);
        EXPECT_TRUE(dx == 0 || dy == 0);
        x += dx;
        y += dy;
        if (edge == 1) {
            EXPECT_EQ(x, twips(960));
            EXPECT_EQ(y, twips(720));
        }
    }
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(shape.bits(6), 0u);

    BitReader placement(parsed.tags[3].body);
    EXPECT_EQ(placement.u8(), 0x06);
    EXPECT_EQ(placement.u16(), 1);
    EXPECT_EQ(placement.u16(), 8);
    const auto placed = readMatrix(placement);
    EXPECT_DOUBLE_EQ(placed.scaleX, 0.5);
    EXPECT_DOUBLE_EQ(placed.scaleY, 2.0);
    EXPECT_EQ(placed.translateX, -200);
    EXPECT_EQ(placed.translateY, 100);
}

TEST(SwfWriter, SignedFieldsRoundTripAtTheirBitWidths) {
    for (const std::int32_t value :
         {0, 1, -1, 2, -2, 63, -64, 64, -65, 32767, -32768, 1000000, -1000000}) {
        BitWriter bits;
        const int count = std::max(1, BitWriter::bitsForSigned(value));
        bits.unsignedBits(0b101, 3); // misalign on purpose
        bits.signedBits(value, count);
        const Bytes written = bits.take();
        BitReader in(written);
        EXPECT_EQ(in.bits(3), 0b101u);
        EXPECT_EQ(in.signedBits(count), value) << value;
        if (count > 1) {
            // The width is the smallest: one bit fewer cannot hold the value.
            const std::int64_t limit = std::int64_t{1} << (count - 2);
            EXPECT_TRUE(value < -limit || value >= limit) << value;
        }
    }
    EXPECT_EQ(BitWriter::bitsForSigned(63), 7);
    EXPECT_EQ(BitWriter::bitsForSigned(-64), 7);
    EXPECT_EQ(BitWriter::bitsForSigned(64), 8);
    EXPECT_EQ(BitWriter::bitsForUnsigned(255), 8);
}

TEST(SwfWriter, EdgesTooLongForOneRecordAreSplit) {
    BitWriter bits;
    encodeStraightEdge(bits, 80000, -3);
    const Bytes written = bits.take();
    BitReader in(written);
    std::int64_t x = 0;
    std::int64_t y = 0;
    int records = 0;
    while (in.bits(1) == 1) { // edge records until the padding
        ASSERT_EQ(in.bits(1), 1u) << "straight";
        const int count = static_cast<int>(in.bits(4)) + 2;
        ASSERT_EQ(in.bits(1), 1u) << "general line";
        EXPECT_LE(count, 17);
        x += in.signedBits(count);
        y += in.signedBits(count);
        ++records;
    }
    EXPECT_EQ(records, 2);
    EXPECT_EQ(x, 80000);
    EXPECT_EQ(y, -3);
}

TEST(SwfWriter, TemplateMovieOnDiskIsAGenuineOneFrameMovie) {
    std::ifstream in(MURANO_BIN_DIR "/flash/main.swf", std::ios::binary);
    ASSERT_TRUE(in.good());
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const MovieFile parsed = parse(file);
    EXPECT_EQ(parsed.declaredLength, file.size());
    EXPECT_EQ(parsed.frameCount, 1);
    EXPECT_GT(parsed.frameSize.xMax, 0);
    const auto tagCodes = codes(parsed);
    EXPECT_NE(std::find(tagCodes.begin(), tagCodes.end(), 9), tagCodes.end());
    EXPECT_EQ(tagCodes.back(), 0);
}
