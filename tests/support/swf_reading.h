// An independent reader of SWF files for the tests: bit fields, tag streams, compressed movies and
// the records the writers produce.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace swf_test {

using Bytes = std::vector<std::uint8_t>;

// Most-significant-bit-first bit fields, then whole little-endian bytes after align().
class BitReader {
public:
    explicit BitReader(const Bytes& bytes, std::size_t start = 0) : bytes_(bytes), byte_(start) {}
    BitReader(Bytes&&, std::size_t = 0) = delete; // it keeps a reference: no temporaries
    std::uint32_t bits(int count);
    std::int32_t signedBits(int count);
    void align();
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    // The next `count` whole bytes (fewer at the end).
    Bytes take(std::size_t count);
    std::string cString();
    std::size_t position() const { return byte_; }
    bool atEnd() const { return byte_ >= bytes_.size(); }

private:
    const Bytes& bytes_;
    std::size_t byte_;
    int bit_ = 0;
};

struct Tag {
    int code = 0;
    Bytes body;
};

// Splits a tag stream (as a movie or a sprite holds it) up to and including the End tag.
std::vector<Tag> readTags(const Bytes& stream, std::size_t start = 0);

struct Rect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};
struct MovieFile {
    char signature[4] = {};
    int version = 0;
    std::uint32_t declaredLength = 0;
    std::size_t uncompressedSize = 0; // the header and everything after it, inflated
    Rect frameSize;
    std::int32_t widthTwips = 0;
    std::int32_t heightTwips = 0;
    double frameRate = 0;
    int frameCount = 0;
    std::vector<Tag> tags;
    bool valid = false;
};

// Inflates a "CWS" movie (or takes an "FWS" one as it is) and splits it into its tags.
MovieFile readMovie(const Bytes& file);

Rect readRect(BitReader& reader);

struct Matrix {
    double scaleX = 1, scaleY = 1;
    double rotateSkew0 = 0, rotateSkew1 = 0;
    std::int32_t translateX = 0, translateY = 0;
};
Matrix readMatrix(BitReader& reader);

struct ColorTransform {
    int multiply[4] = {256, 256, 256, 256}; // 8.8 fixed point, red green blue alpha
    int add[4] = {0, 0, 0, 0};
};
ColorTransform readColorTransform(BitReader& reader);

struct Action {
    int code = 0;
    Bytes data;
    std::size_t offset = 0; // where the record starts
    std::size_t end = 0;    // where the next record starts
};
// Splits an action list up to (not including) the end flag.
std::vector<Action> readActions(const Bytes& bytes, std::size_t start = 0);

} // namespace swf_test
