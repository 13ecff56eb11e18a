#include "tests/support/swf_reading.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <cstring>

namespace swf_test {

std::uint32_t BitReader::bits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t byte = byte_ < bytes_.size() ? bytes_[byte_] : 0;
        value = (value << 1) | ((byte >> (7 - bit_)) & 1u);
        if (++bit_ == 8) {
            bit_ = 0;
            ++byte_;
        }
    }
    return value;
}

std::int32_t BitReader::signedBits(int count) {
    if (count == 0) {
        return 0;
    }
    const std::uint32_t value = bits(count);
    const std::uint32_t sign = 1u << (count - 1);
    return static_cast<std::int32_t>((value ^ sign)) - static_cast<std::int32_t>(sign);
}

void BitReader::align() {
    if (bit_ != 0) {
        bit_ = 0;
        ++byte_;
    }
}

std::uint8_t BitReader::u8() {
    align();
    return byte_ < bytes_.size() ? bytes_[byte_++] : 0;
}

std::uint16_t BitReader::u16() {
    const std::uint16_t low = u8();
    return static_cast<std::uint16_t>(low | (u8() << 8));
}

std::uint32_t BitReader::u32() {
    const std::uint32_t low = u16();
    return low | (static_cast<std::uint32_t>(u16()) << 16);
}

Bytes BitReader::take(std::size_t count) {
    align();
    const std::size_t end = std::min(byte_ + count, bytes_.size());
    Bytes taken(bytes_.begin() + static_cast<std::ptrdiff_t>(byte_),
                bytes_.begin() + static_cast<std::ptrdiff_t>(end));
    byte_ = end;
    return taken;
}

std::string BitReader::cString() {
    std::string text;
    while (!atEnd()) {
        const char c = static_cast<char>(u8());
        if (c == '\0') {
            break;
        }
        text += c;
    }
    return text;
}

std::vector<Tag> readTags(const Bytes& stream, std::size_t start) {
    std::vector<Tag> tags;
    BitReader reader(stream, start);
    while (!reader.atEnd()) {
        const std::uint16_t header = reader.u16();
        Tag tag;
        tag.code = header >> 6;
        std::uint32_t length = header & 0x3f;
        if (length == 0x3f) {
            length = reader.u32();
        }
        const std::size_t at = reader.position();
        if (at + length > stream.size()) {
            break;
        }
        tag.body.assign(stream.begin() + static_cast<std::ptrdiff_t>(at),
                        stream.begin() + static_cast<std::ptrdiff_t>(at + length));
        for (std::uint32_t i = 0; i < length; ++i) {
            reader.u8();
        }
        tags.push_back(std::move(tag));
        if (tags.back().code == 0) {
            break;
        }
    }
    return tags;
}

MovieFile readMovie(const Bytes& file) {
    MovieFile movie;
    if (file.size() < 8) {
        return movie;
    }
    std::memcpy(movie.signature, file.data(), 3);
    movie.version = file[3];
    movie.declaredLength =
        file[4] | (file[5] << 8) | (file[6] << 16) | (static_cast<std::uint32_t>(file[7]) << 24);
    Bytes rest;
    if (movie.signature[0] == 'C') {
        rest.resize(movie.declaredLength > 8 ? movie.declaredLength - 8 : 0);
        uLongf size = static_cast<uLongf>(rest.size());
        if (uncompress(rest.data(), &size, file.data() + 8, static_cast<uLong>(file.size() - 8)) !=
                Z_OK ||
            size != rest.size()) {
            return movie;
        }
    } else {
        rest.assign(file.begin() + 8, file.end());
    }
    BitReader reader(rest);
    movie.frameSize = readRect(reader);
    movie.widthTwips = movie.frameSize.xMax - movie.frameSize.xMin;
    movie.heightTwips = movie.frameSize.yMax - movie.frameSize.yMin;
    movie.uncompressedSize = 8 + rest.size();
    movie.frameRate = reader.u16() / 256.0;
    movie.frameCount = reader.u16();
    movie.tags = readTags(rest, reader.position());
    movie.valid = !movie.tags.empty() && movie.tags.back().code == 0;
    return movie;
}

Rect readRect(BitReader& reader) {
    const int count = static_cast<int>(reader.bits(5));
    Rect rect;
    rect.xMin = reader.signedBits(count);
    rect.xMax = reader.signedBits(count);
    rect.yMin = reader.signedBits(count);
    rect.yMax = reader.signedBits(count);
    reader.align();
    return rect;
}

Matrix readMatrix(BitReader& reader) {
    Matrix matrix;
    if (reader.bits(1)) {
        const int count = static_cast<int>(reader.bits(5));
        matrix.scaleX = reader.signedBits(count) / 65536.0;
        matrix.scaleY = reader.signedBits(count) / 65536.0;
    }
    if (reader.bits(1)) {
        const int count = static_cast<int>(reader.bits(5));
        matrix.rotateSkew0 = reader.signedBits(count) / 65536.0;
        matrix.rotateSkew1 = reader.signedBits(count) / 65536.0;
    }
    const int count = static_cast<int>(reader.bits(5));
    matrix.translateX = reader.signedBits(count);
    matrix.translateY = reader.signedBits(count);
    reader.align();
    return matrix;
}

ColorTransform readColorTransform(BitReader& reader) {
    ColorTransform transform;
    const bool hasAdd = reader.bits(1) != 0;
    const bool hasMultiply = reader.bits(1) != 0;
    const int count = static_cast<int>(reader.bits(4));
    for (int i = 0; hasMultiply && i < 4; ++i) {
        transform.multiply[i] = reader.signedBits(count);
    }
    for (int i = 0; hasAdd && i < 4; ++i) {
        transform.add[i] = reader.signedBits(count);
    }
    reader.align();
    return transform;
}

std::vector<Action> readActions(const Bytes& bytes, std::size_t start) {
    std::vector<Action> actions;
    std::size_t at = start;
    while (at < bytes.size() && bytes[at] != 0) {
        Action action;
        action.offset = at;
        action.code = bytes[at++];
        if (action.code >= 0x80 && at + 2 <= bytes.size()) {
            const std::size_t length = bytes[at] | (bytes[at + 1] << 8);
            at += 2;
            action.data.assign(
                bytes.begin() + static_cast<std::ptrdiff_t>(at),
                bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + length)));
            at += length;
        }
        action.end = at;
        actions.push_back(std::move(action));
    }
    return actions;
}

} // namespace swf_test
