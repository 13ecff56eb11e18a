// What a JPEG file says about its frame, and the sequential (baseline) form that every player of
// SWF 6 movies decodes: the office suite writes progressive JPEG files.
#pragma once

#include "platform/swf/swf_tags.h"

#include <cstdint>
#include <optional>

namespace korrind {

using namespace murano::swf; // the movie records

struct JpegFrame {
    int width = 0;
    int height = 0;
    std::uint8_t marker = 0; // the start-of-frame marker: 0xc0 baseline, 0xc2 progressive, ...

    bool sequentialHuffman() const { return marker == 0xc0 || marker == 0xc1; }
};

// The frame header of a JPEG file, or nothing when the bytes are not a JPEG image.
std::optional<JpegFrame> jpegFrame(const Bytes& jpeg);

// The same image as a sequential Huffman-coded JPEG file. Files already in that form come back
// as they are; others are rewritten losslessly from their DCT coefficients. Nothing when the bytes
// cannot be decoded.
std::optional<Bytes> sequentialJpeg(const Bytes& jpeg);

} // namespace korrind
