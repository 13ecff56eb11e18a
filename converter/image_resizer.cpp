#include "converter/image_resizer.h"

#include "converter/console.h"
#include "converter/driver.h"
#include "converter/file_utils.h"
#include "converter/paths.h"

#include <Magick++.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace {

struct ExtensionRow {
    const char* extension;
    int type;
};

const ExtensionRow kExtensions[] = {
    {"bmp", kImageBmp}, {"gif", kImageGif}, {"jpg", kImageJpg},   {"jpeg", kImageJpg},
    {"png", kImagePng}, {"ico", kImageIco}, {"tiff", kImageTif},  {"tif", kImageTif},
    {"tga", kImageTga}, {"pcx", kImagePcx}, {"wbmp", kImageWbmp}, {"wmf", kImageWmf},
    {"emf", kImageWmf}, {"jp2", kImageJp2}, {"j2k", kImageJp2},   {"jpc", kImageJpc},
    {"j2c", kImageJpc}, {"pgx", kImagePgx}, {"pnm", kImagePnm},   {"pgm", kImagePnm},
    {"ppm", kImagePnm}, {"ras", kImageRas}, {"pbm", kImagePbm},
};

// The image library's coder name of each type.
const char* coderOf(int type) {
    static const char* const coders[] = {"",     "BMP", "GIF", "JPEG", "PNG", "ICO",
                                         "TIFF", "TGA", "PCX", "WBMP", "WMF", "JP2",
                                         "J2K",  "PGX", "PNM", "SUN",  "PBM"};
    return type > 0 && type < static_cast<int>(std::size(coders)) ? coders[type] : "";
}

void initialiseImageLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

// The depth the image would have as a device-independent bitmap: palette images by their colour
// count, grey images 8, true colour 24, with alpha 32.
int bitsPerPixel(const Magick::Image& image) {
    if (image.classType() == Magick::PseudoClass) {
        const std::size_t colours = image.colorMapSize();
        return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    }
    const Magick::ImageType type = image.type();
    if (type == Magick::GrayscaleType || type == Magick::BilevelType) {
        return 8;
    }
    return image.matte() ? 32 : 24;
}

void reduceColours(Magick::Image& image, std::size_t colours) {
    image.quantizeColors(colours);
    image.quantizeDither(true);
    image.quantizeDitherMethod(Magick::FloydSteinbergDitherMethod);
    image.quantize();
}

void prepareForSaving(Magick::Image& image, int type) {
    if (type == kImageJpg) {
        // Colour, 8 bits per channel, whatever the source was.
        image.colorSpace(Magick::sRGBColorspace);
        image.type(Magick::TrueColorType);
    } else if (type == kImageGif) {
        const int bits = bitsPerPixel(image);
        if (bits == 4) {
            reduceColours(image, 2);
        } else if (bits == 16 || bits == 24 || bits == 32) {
            reduceColours(image, 256);
        }
    }
}

bool load(const std::string& source, Magick::Image& image) {
    int type = imageTypeByExtension(source);
    if (type == kImageUnknown) {
        type = imageTypeByContent(source);
    }
    if (type == kImageUnknown) {
        Print(stderr, "unknown extension for %s\n", source.c_str());
        return false;
    }
    std::string bytes;
    try {
        if (!readWholeFile(source, bytes)) {
            throw Magick::ErrorFileOpen("unable to open image `" + source + "'");
        }
        image.magick(coderOf(type));
        image.read(Magick::Blob(bytes.data(), bytes.size()));
        return true;
    } catch (const std::exception& e) {
        Print(stderr, "%s\n", e.what());
    }
    Print(stderr, "error loading %s\n", source.c_str());
    return false;
}

bool save(Magick::Image& image, const std::string& destination) {
    const int type = imageTypeByExtension(destination);
    if (type == kImageUnknown) {
        Print(stderr, "unknown extension for %s\n", destination.c_str());
        return false;
    }
    try {
        prepareForSaving(image, type);
        Magick::Blob blob;
        image.magick(coderOf(type));
        image.write(&blob);
        if (replaceFileContent(destination, blob.data(), blob.length())) {
            return true;
        }
        Print(stderr, "%s\n", std::strerror(errno));
    } catch (const std::exception& e) {
        Print(stderr, "%s\n", e.what());
    }
    Print(stderr, "error saving %s\n", destination.c_str());
    return false;
}

} // namespace

int imageTypeByExtension(const std::string& path) {
    std::string extension = extensionOf(path);
    if (extension.empty()) {
        return kImageUnknown;
    }
    extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const ExtensionRow& row : kExtensions) {
        if (extension == row.extension) {
            return row.type;
        }
    }
    return kImageUnknown;
}

int imageTypeByContent(const std::string& path) {
    unsigned char head[10] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return kImageUnknown;
    }
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    if (got < sizeof head) {
        return kImageUnknown;
    }
    if ((head[0] == 'I' && head[1] == 'I') || (head[0] == 'M' && head[1] == 'M')) {
        return kImageTif;
    }
    if (head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') {
        return kImagePng;
    }
    if (head[0] == 0xFF && head[1] == 0xD8) {
        return kImageJpg;
    }
    if (std::memcmp(head, "GIF8", 4) == 0) {
        return kImageGif;
    }
    if (head[0] == 'B' && head[1] == 'M') {
        return kImageBmp;
    }
    return kImageUnknown;
}

int ConvertImage(const std::string& source, const std::string& destination, int width, int height) {
    initialiseImageLibrary();
    Magick::Image image;
    image.quiet(true);
    if (!load(source, image)) {
        return 1;
    }
    if (width > 0 && height > 0) {
        Magick::Geometry size(static_cast<std::size_t>(width), static_cast<std::size_t>(height));
        size.aspect(true); // the exact size asked for, not the aspect ratio
        try {
            image.sample(size);
        } catch (const std::exception& e) {
            Print(stderr, "%s\n", e.what());
            return 1;
        }
    }
    return save(image, destination) ? 0 : 1;
}

int ImageResizer(const std::string& file, int width, int height) {
    if (width == 0 || height == 0) {
        return 0;
    }
    const std::string copy = TempName(".img");
    if (copy.empty() || !copyFile(file, copy)) {
        if (!copy.empty()) {
            ::unlink(copy.c_str());
        }
        Print(stderr, "error loading %s\n", file.c_str());
        return 1;
    }
    const int result = ConvertImage(copy, file, width, height);
    ::unlink(copy.c_str());
    return result;
}
