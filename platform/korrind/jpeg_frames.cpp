#include "platform/korrind/jpeg_frames.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstdlib>

#include <jpeglib.h>

namespace korrind {

namespace {

bool isStartOfFrame(std::uint8_t marker) {
    // SOF0..SOF15, except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to the
// transcoder. Everything the jump crosses lives in this struct, not in registers.
struct Transcoder {
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    jpeg_decompress_struct source{};
    jpeg_compress_struct target{};
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    bool sourceCreated = false;
    bool targetCreated = false;

    ~Transcoder() {
        if (targetCreated) {
            jpeg_destroy_compress(&target);
        }
        if (sourceCreated) {
            jpeg_destroy_decompress(&source);
        }
        std::free(output);
    }
};

[[noreturn]] void jumpOut(j_common_ptr info) {
    Transcoder* transcoder = static_cast<Transcoder*>(info->client_data);
    std::longjmp(transcoder->failed, 1);
}

void ignoreMessage(j_common_ptr, int) {}

// Copies the DCT coefficients into a sequential file with optimised Huffman tables.
bool rewrite(Transcoder& t, const Bytes& jpeg) {
    t.source.err = jpeg_std_error(&t.errors);
    t.target.err = &t.errors;
    t.errors.error_exit = jumpOut;
    t.errors.emit_message = ignoreMessage;
    t.source.client_data = &t;
    t.target.client_data = &t;
    if (setjmp(t.failed)) {
        return false;
    }
    jpeg_create_decompress(&t.source);
    t.sourceCreated = true;
    jpeg_create_compress(&t.target);
    t.targetCreated = true;
    jpeg_mem_src(&t.source, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&t.source, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&t.source);
    jpeg_copy_critical_parameters(&t.source, &t.target);
    t.target.optimize_coding = TRUE;
    jpeg_mem_dest(&t.target, &t.output, &t.outputSize);
    jpeg_write_coefficients(&t.target, coefficients);
    jpeg_finish_compress(&t.target);
    jpeg_finish_decompress(&t.source);
    return true;
}

} // namespace

std::optional<JpegFrame> jpegFrame(const Bytes& jpeg) {
    if (jpeg.size() < 4 || jpeg[0] != 0xff || jpeg[1] != 0xd8) {
        return std::nullopt;
    }
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        if (jpeg[at] != 0xff) {
            return std::nullopt;
        }
        const std::uint8_t marker = jpeg[at + 1];
        if (marker == 0xff) { // fill byte
            ++at;
            continue;
        }
        const std::size_t length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
        if (isStartOfFrame(marker)) {
            if (at + 9 > jpeg.size() || length < 7) {
                return std::nullopt;
            }
            const int height = (jpeg[at + 5] << 8) | jpeg[at + 6];
            const int width = (jpeg[at + 7] << 8) | jpeg[at + 8];
            if (width == 0 || height == 0) {
                return std::nullopt;
            }
            return JpegFrame{width, height, marker};
        }
        if (marker == 0xd9 || marker == 0xda || length < 2) { // end or scan before any frame
            return std::nullopt;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<Bytes> sequentialJpeg(const Bytes& jpeg) {
    const std::optional<JpegFrame> frame = jpegFrame(jpeg);
    if (!frame) {
        return std::nullopt;
    }
    if (frame->sequentialHuffman()) {
        return jpeg;
    }
    Transcoder transcoder;
    if (!rewrite(transcoder, jpeg) || !transcoder.output) {
        return std::nullopt;
    }
    return Bytes(transcoder.output, transcoder.output + transcoder.outputSize);
}

} // namespace korrind
