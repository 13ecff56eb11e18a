#include "tests/korrind/test_jpegs.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace swf_test {

Bytes fakeJpeg(int width, int height) {
    return {0xff,
            0xd8, // start of image
            0xff,
            0xe0,
            0x00,
            0x04,
            0x4a,
            0x46, // an application segment
            0xff,
            0xc0,
            0x00,
            0x0b,
            0x08, // baseline frame header
            static_cast<std::uint8_t>(height >> 8),
            static_cast<std::uint8_t>(height & 0xff),
            static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(width & 0xff),
            0x01,
            0x01,
            0x11,
            0x00,
            0xff,
            0xd9};
}

Bytes gradientJpeg(int width, int height, bool progressive) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &output, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(x) * 3] = static_cast<unsigned char>(x * 255 / width);
            row[static_cast<std::size_t>(x) * 3 + 1] =
                static_cast<unsigned char>(info.next_scanline * 255 / info.image_height);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<unsigned char>((x * 7) % 256);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(output, output + size);
    std::free(output);
    return bytes;
}

} // namespace swf_test
