// A small writer of SWF movies: the file header, a tag stream and the bit-packed records the tags
// are made of. It writes what the template movie and the slide converter need (background colour,
// frames, JPEG bitmaps, shapes filled with them, placement on the display list), either plain
// ("FWS") or zlib-compressed ("CWS"). New tags are added as methods that build a tag body with
// ByteWriter/BitWriter and hand it to Movie::addTag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace murano::swf {

using Bytes = std::vector<std::uint8_t>;

// Lengths in SWF records are twips: 20 per pixel.
constexpr std::int32_t kTwipsPerPixel = 20;
constexpr std::int32_t twips(std::int32_t pixels) {
    return pixels * kTwipsPerPixel;
}

enum class TagCode : std::uint16_t {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    SetBackgroundColor = 9,
    DefineBitsJpeg2 = 21,
    PlaceObject2 = 26,
    FileAttributes = 69,
};

// A colour with its opacity; records that take no opacity (the background) leave alpha out.
struct Rgba {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
};

// An axis-aligned rectangle in twips.
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;
};

// A 2D transform: scale and skew as 16.16 fixed-point factors, translation in twips.
struct Matrix {
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotateSkew0 = 0.0;
    double rotateSkew1 = 0.0;
    std::int32_t translateX = 0;
    std::int32_t translateY = 0;
};

// Little-endian byte output, as every multi-byte SWF field is stored.
class ByteWriter {
public:
    void u8(std::uint8_t value) { bytes_.push_back(value); }
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    void append(const std::uint8_t* data, std::size_t size) {
        bytes_.insert(bytes_.end(), data, data + size);
    }
    const Bytes& bytes() const { return bytes_; }
    Bytes take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// Bit-packed output, most significant bit first, as RECT, MATRIX and shape records are stored.
class BitWriter {
public:
    void unsignedBits(std::uint32_t value, int count);
    void signedBits(std::int32_t value, int count);
    // Pads the last byte with zero bits; later bits start on a byte boundary.
    void align();
    Bytes take();

    // The fewest bits that hold the value as a two's-complement (signed) or plain (unsigned) field.
    static int bitsForSigned(std::int32_t value);
    static int bitsForUnsigned(std::uint32_t value);

private:
    Bytes bytes_;
    int usedBits_ = 0; // bits already used in the last byte, 0 when it is full or absent
};

// A whole tag record: the short or long header for the body's length, then the body.
Bytes encodeTag(TagCode code, const Bytes& body);

// A straight edge record of a shape, as a move of dx, dy twips; an edge too long for one record
// becomes several in a row.
void encodeStraightEdge(BitWriter& bits, std::int32_t dx, std::int32_t dy);

// A style change record that moves the pen to x, y (twips) and selects fill style `fillStyle`,
// written in `fillBits` bits.
void encodeStyleChangeMove(BitWriter& bits, std::int32_t x, std::int32_t y, std::uint32_t fillStyle,
                           int fillBits);

Bytes encodeRect(const Rect& rect);
Bytes encodeMatrix(const Matrix& matrix);

struct MovieHeader {
    std::uint8_t version = 10;
    Rect frameSize;
    double frameRate = 24.0; // stored as 8.8 fixed point
};

enum class Compression { None, Zlib };

// Collects tags and writes the movie. The frame count in the header is the number of ShowFrame
// tags; an End tag is appended by finish() when missing.
class Movie {
public:
    explicit Movie(const MovieHeader& header);

    void addTag(TagCode code, const Bytes& body);
    void setBackgroundColor(Rgba color);
    void showFrame();
    void end();
    // A JPEG bitmap character; jpeg holds a whole JPEG file (SOI to EOI).
    void defineBitsJpeg2(std::uint16_t characterId, const Bytes& jpeg);
    // A rectangle shape of the given size (twips) filled with a bitmap character, scaled so that a
    // bitmap of bitmapWidth x bitmapHeight pixels covers it exactly.
    void defineBitmapRectangle(std::uint16_t shapeId, std::uint16_t bitmapId, const Rect& bounds,
                               int bitmapWidth, int bitmapHeight);
    // Places a character on the display list at a depth, with a transform.
    void placeObject2(std::uint16_t depth, std::uint16_t characterId, const Matrix& matrix);

    std::uint16_t frameCount() const { return frameCount_; }
    // The whole file. Compressed output keeps the 8-byte header plain and deflates the rest; the
    // header's length is always that of the uncompressed file.
    Bytes finish(Compression compression = Compression::None);

private:
    MovieHeader header_;
    ByteWriter tags_;
    std::uint16_t frameCount_ = 0;
    bool ended_ = false;
};

// Writes bytes to a file; false when the file cannot be written completely.
bool writeFile(const std::string& path, const Bytes& bytes);

} // namespace murano::swf
