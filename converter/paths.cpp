#include "converter/paths.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

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

bool makeFolder(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
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

bool pathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string executablePath() {
    std::string buffer(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

std::string privateStateFolder() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.local";
        makeFolder(base, 0755);
        base += "/state";
        makeFolder(base, 0755);
    } else {
        return {};
    }
    makeFolder(base, 0700);
    const std::string folder = base + "/quorvex";
    if (!makeFolder(folder, 0700) || ::chmod(folder.c_str(), 0700) != 0) {
        return {};
    }
    return folder;
}
