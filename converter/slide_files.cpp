#include "converter/slide_files.h"

#include "converter/driver.h"

#include <cctype>

namespace {

constexpr int kDefaultWidth = 720;
constexpr int kDefaultHeight = 540;

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

int slideOrderKey(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    std::size_t end = path.rfind('.');
    if (end == std::string::npos || end < nameStart) {
        end = path.size();
    }
    std::size_t begin = end;
    while (begin > nameStart && isDigit(path[begin - 1])) {
        --begin;
    }
    int key = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (key > 100000000) {
            break; // absurdly long digit runs sort last rather than overflow
        }
        key = key * 10 + (path[i] - '0');
    }
    return key;
}

void insertInSlideOrder(std::vector<std::string>& files, const std::string& path) {
    const int key = slideOrderKey(path);
    auto position = files.begin();
    while (position != files.end() && slideOrderKey(*position) <= key) {
        ++position;
    }
    files.insert(position, path);
}

bool shouldResize(int format, int width, int height) {
    if (width <= 0 || height <= 0 || (width == kDefaultWidth && height == kDefaultHeight)) {
        return false;
    }
    switch (format) {
    case kRtf:
    case kHtml:
    case kMetafile:
    case kMhtml:
    case kEmf:
        return false;
    default:
        return true;
    }
}
