#include "tests/converter/export/test_images.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <iterator>
#include <stdexcept>

void writeImage(const std::string& path, int width, int height, const std::string& colour) {
    Magick::Image image(
        Magick::Geometry(static_cast<std::size_t>(width), static_cast<std::size_t>(height)),
        Magick::Color(colour));
    image.write(path);
}

Magick::Image readImage(const std::string& path) {
    Magick::Image image;
    image.read(path);
    return image;
}

int jpegComponents(const std::string& path) {
    const std::string bytes = fileBytes(path);
    for (std::size_t i = 2; i + 9 < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) != 0xFF) {
            return 0;
        }
        const unsigned char marker = static_cast<unsigned char>(bytes[i + 1]);
        const std::size_t length = (static_cast<unsigned char>(bytes[i + 2]) << 8) |
                                   static_cast<unsigned char>(bytes[i + 3]);
        if (marker >= 0xC0 && marker <= 0xC3) {
            return static_cast<unsigned char>(bytes[i + 9]);
        }
        i += 2 + length;
    }
    return 0;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

std::string makeScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/lantrel-test-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    return folder;
}

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    std::remove(path);
    return 0;
}

} // namespace

void removeScratchFolder(const std::string& folder) {
    ::nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}
