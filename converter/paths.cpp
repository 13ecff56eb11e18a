#include "converter/paths.h"

namespace {

std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of("/\\");
}

std::size_t extensionDot(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = lastSeparator(path);
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::string::npos;
    }
    return dot;
}

} // namespace

std::string extensionOf(const std::string& path) {
    const std::size_t dot = extensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string withoutExtension(const std::string& path) {
    return path.substr(0, extensionDot(path));
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = lastSeparator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = lastSeparator(path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
