#include "import/jpeg_writer.h"

#include <QByteArray>
#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf failed;
};

[[noreturn]] void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->failed, 1);
}

// Pictures libjpeg reads as they lie in memory: packed RGB, and 0xffRRGGBB words.
bool readsAsItIs(QImage::Format format) {
    return format == QImage::Format_RGB888 || format == QImage::Format_RGB32 ||
           format == QImage::Format_ARGB32;
}

// The picture as a baseline JPEG of `quality` (1 to 100); empty when libjpeg fails.
QByteArray encodedJpeg(const QImage& picture, int quality) {
    const QImage page =
        readsAsItIs(picture.format()) ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const bool packed = page.format() == QImage::Format_RGB888;
    jpeg_compress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpOut;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    QByteArray bytes;
    if (setjmp(errors.failed) == 0) {
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = static_cast<JDIMENSION>(page.width());
        info.image_height = static_cast<JDIMENSION>(page.height());
        info.input_components = packed ? 3 : 4;
        // 0xffRRGGBB words lie in memory as B, G, R, X on this little-endian machine.
        info.in_color_space = packed                            ? JCS_RGB
                              : Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX
                                                                : JCS_EXT_XRGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(page.constScanLine(int(info.next_scanline)));
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        bytes = QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    }
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

} // namespace

bool writeJpeg(const QImage& picture, const QString& path, int quality) {
    const QByteArray bytes = picture.isNull() ? QByteArray() : encodedJpeg(picture, quality);
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size() && file.flush();
}
