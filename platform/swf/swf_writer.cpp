#include "platform/swf/swf_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace murano::swf {

namespace {

constexpr std::uint16_t kLongTagLength = 0x3f;
constexpr std::uint8_t kClippedBitmapFill = 0x41;

std::int32_t toFixed16(double value) {
    return static_cast<std::int32_t>(std::lround(value * 65536.0));
}

Bytes deflateAll(const Bytes& input) {
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    Bytes output(size);
    if (compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    output.resize(size);
    return output;
}

} // namespace

void ByteWriter::u16(std::uint16_t value) {
    u8(static_cast<std::uint8_t>(value & 0xff));
    u8(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::u32(std::uint32_t value) {
    u16(static_cast<std::uint16_t>(value & 0xffff));
    u16(static_cast<std::uint16_t>(value >> 16));
}

void BitWriter::unsignedBits(std::uint32_t value, int count) {
    for (int bit = count - 1; bit >= 0; --bit) {
        if (usedBits_ == 0) {
            bytes_.push_back(0);
        }
        if ((value >> bit) & 1u) {
            bytes_.back() |= static_cast<std::uint8_t>(0x80u >> usedBits_);
        }
        usedBits_ = (usedBits_ + 1) % 8;
    }
}

void BitWriter::signedBits(std::int32_t value, int count) {
    unsignedBits(static_cast<std::uint32_t>(value), count);
}

void BitWriter::align() {
    usedBits_ = 0;
}

Bytes BitWriter::take() {
    usedBits_ = 0;
    return std::move(bytes_);
}

int BitWriter::bitsForSigned(std::int32_t value) {
    if (value == 0) {
        return 0;
    }
    const std::uint32_t magnitude =
        value < 0 ? static_cast<std::uint32_t>(-(static_cast<std::int64_t>(value) + 1))
                  : static_cast<std::uint32_t>(value);
    return bitsForUnsigned(magnitude) + 1;
}

int BitWriter::bitsForUnsigned(std::uint32_t value) {
    int count = 0;
    while (value != 0) {
        ++count;
        value >>= 1;
    }
    return count;
}

Bytes encodeRect(const Rect& rect) {
    const int count =
        std::max({BitWriter::bitsForSigned(rect.xMin), BitWriter::bitsForSigned(rect.xMax),
                  BitWriter::bitsForSigned(rect.yMin), BitWriter::bitsForSigned(rect.yMax)});
    BitWriter bits;
    bits.unsignedBits(static_cast<std::uint32_t>(count), 5);
    for (const std::int32_t value : {rect.xMin, rect.xMax, rect.yMin, rect.yMax}) {
        bits.signedBits(value, count);
    }
    return bits.take();
}

Bytes encodeMatrix(const Matrix& matrix) {
    BitWriter bits;
    const auto fixedPair = [&bits](double first, double second) {
        const std::int32_t a = toFixed16(first);
        const std::int32_t b = toFixed16(second);
        const int count = std::max(BitWriter::bitsForSigned(a), BitWriter::bitsForSigned(b));
        bits.unsignedBits(static_cast<std::uint32_t>(count), 5);
        bits.signedBits(a, count);
        bits.signedBits(b, count);
    };
    const bool hasScale = matrix.scaleX != 1.0 || matrix.scaleY != 1.0;
    bits.unsignedBits(hasScale ? 1 : 0, 1);
    if (hasScale) {
        fixedPair(matrix.scaleX, matrix.scaleY);
    }
    const bool hasRotate = matrix.rotateSkew0 != 0.0 || matrix.rotateSkew1 != 0.0;
    bits.unsignedBits(hasRotate ? 1 : 0, 1);
    if (hasRotate) {
        fixedPair(matrix.rotateSkew0, matrix.rotateSkew1);
    }
    const int count = std::max(BitWriter::bitsForSigned(matrix.translateX),
                               BitWriter::bitsForSigned(matrix.translateY));
    bits.unsignedBits(static_cast<std::uint32_t>(count), 5);
    bits.signedBits(matrix.translateX, count);
    bits.signedBits(matrix.translateY, count);
    return bits.take();
}

Movie::Movie(const MovieHeader& header) : header_(header) {
    // From version 8 on, players expect the file attributes as the first tag.
    if (header_.version >= 8) {
        ByteWriter body;
        body.u32(0);
        addTag(TagCode::FileAttributes, body.bytes());
    }
}

Bytes encodeTag(TagCode code, const Bytes& body) {
    ByteWriter record;
    const auto codeBits = static_cast<std::uint16_t>(static_cast<std::uint16_t>(code) << 6);
    if (body.size() < kLongTagLength) {
        record.u16(static_cast<std::uint16_t>(codeBits | body.size()));
    } else {
        record.u16(static_cast<std::uint16_t>(codeBits | kLongTagLength));
        record.u32(static_cast<std::uint32_t>(body.size()));
    }
    record.append(body);
    return record.take();
}

void encodeStraightEdge(BitWriter& bits, std::int32_t dx, std::int32_t dy) {
    // Edge deltas fit in 17 bits; longer edges are split into pieces that do.
    constexpr std::int32_t kLongest = 65535;
    if (std::abs(dx) > kLongest || std::abs(dy) > kLongest) {
        encodeStraightEdge(bits, dx / 2, dy / 2);
        encodeStraightEdge(bits, dx - dx / 2, dy - dy / 2);
        return;
    }
    const int count = std::max({2, BitWriter::bitsForSigned(dx), BitWriter::bitsForSigned(dy)});
    bits.unsignedBits(1, 1); // edge record
    bits.unsignedBits(1, 1); // straight
    bits.unsignedBits(static_cast<std::uint32_t>(count - 2), 4);
    bits.unsignedBits(1, 1); // general line: both deltas follow
    bits.signedBits(dx, count);
    bits.signedBits(dy, count);
}

void encodeStyleChangeMove(BitWriter& bits, std::int32_t x, std::int32_t y, std::uint32_t fillStyle,
                           int fillBits) {
    bits.unsignedBits(0, 1);       // style change record
    bits.unsignedBits(0b00101, 5); // new styles, line style, fill 1, fill 0, move to
    const int moveBits = std::max(BitWriter::bitsForSigned(x), BitWriter::bitsForSigned(y));
    bits.unsignedBits(static_cast<std::uint32_t>(moveBits), 5);
    bits.signedBits(x, moveBits);
    bits.signedBits(y, moveBits);
    bits.unsignedBits(fillStyle, fillBits);
}

void Movie::addTag(TagCode code, const Bytes& body) {
    tags_.append(encodeTag(code, body));
    if (code == TagCode::ShowFrame) {
        ++frameCount_;
    }
    if (code == TagCode::End) {
        ended_ = true;
    }
}

void Movie::setBackgroundColor(Rgba color) {
    addTag(TagCode::SetBackgroundColor, {color.red, color.green, color.blue});
}

void Movie::showFrame() {
    addTag(TagCode::ShowFrame, {});
}

void Movie::end() {
    if (!ended_) {
        addTag(TagCode::End, {});
    }
}

void Movie::defineBitsJpeg2(std::uint16_t characterId, const Bytes& jpeg) {
    ByteWriter body;
    body.u16(characterId);
    body.append(jpeg);
    addTag(TagCode::DefineBitsJpeg2, body.bytes());
}

void Movie::defineBitmapRectangle(std::uint16_t shapeId, std::uint16_t bitmapId, const Rect& bounds,
                                  int bitmapWidth, int bitmapHeight) {
    const std::int32_t width = bounds.xMax - bounds.xMin;
    const std::int32_t height = bounds.yMax - bounds.yMin;
    ByteWriter body;
    body.u16(shapeId);
    body.append(encodeRect(bounds));
    body.u8(1); // one fill style
    body.u8(kClippedBitmapFill);
    body.u16(bitmapId);
    Matrix fill;
    fill.scaleX = static_cast<double>(width) / std::max(1, bitmapWidth);
    fill.scaleY = static_cast<double>(height) / std::max(1, bitmapHeight);
    fill.translateX = bounds.xMin;
    fill.translateY = bounds.yMin;
    body.append(encodeMatrix(fill));
    body.u8(0); // no line styles

    BitWriter shape;
    shape.unsignedBits(1, 4); // fill style index bits
    shape.unsignedBits(0, 4); // line style index bits
    encodeStyleChangeMove(shape, bounds.xMin, bounds.yMin, 1, 1);
    encodeStraightEdge(shape, width, 0);
    encodeStraightEdge(shape, 0, height);
    encodeStraightEdge(shape, -width, 0);
    encodeStraightEdge(shape, 0, -height);
    shape.unsignedBits(0, 6); // end of shape
    body.append(shape.take());
    addTag(TagCode::DefineShape, body.bytes());
}

void Movie::placeObject2(std::uint16_t depth, std::uint16_t characterId, const Matrix& matrix) {
    ByteWriter body;
    body.u8(0x06); // has matrix, has character
    body.u16(depth);
    body.u16(characterId);
    body.append(encodeMatrix(matrix));
    addTag(TagCode::PlaceObject2, body.bytes());
}

Bytes Movie::finish(Compression compression) {
    end();
    ByteWriter rest;
    rest.append(encodeRect(header_.frameSize));
    rest.u16(static_cast<std::uint16_t>(std::lround(header_.frameRate * 256.0)));
    rest.u16(frameCount_);
    rest.append(tags_.bytes());

    ByteWriter file;
    file.u8(compression == Compression::Zlib ? 'C' : 'F');
    file.u8('W');
    file.u8('S');
    file.u8(header_.version);
    file.u32(static_cast<std::uint32_t>(8 + rest.bytes().size()));
    if (compression == Compression::Zlib) {
        const Bytes packed = deflateAll(rest.bytes());
        if (packed.empty()) {
            return {};
        }
        file.append(packed);
    } else {
        file.append(rest.bytes());
    }
    return file.take();
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace murano::swf
