#include "platform/posix/posix_files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace posix {
namespace {

bool statOf(const std::string& path, struct stat& info) {
    return ::stat(path.c_str(), &info) == 0;
}

bool makeFolder(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

// XDG_STATE_HOME when it is absolute; a relative one is invalid and ignored.
const char* xdgStateHome() {
    const char* state = std::getenv("XDG_STATE_HOME");
    return state && *state == '/' ? state : nullptr;
}

std::string parentOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

bool isAsciiAlphanumeric(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Removes what is inside the folder open as `fd` (which it closes), depth first. Each entry is
// visited once, so the walk ends even when some of them resist.
void removeContents(int fd) {
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        struct stat info {};
        if (::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
            if ((info.st_mode & S_IRWXU) != S_IRWXU) {
                ::fchmodat(fd, name, info.st_mode | S_IRWXU, 0);
            }
            const int sub = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                removeContents(sub);
            }
            ::unlinkat(fd, name, AT_REMOVEDIR);
        } else {
            ::unlinkat(fd, name, 0);
        }
    }
    ::closedir(listing);
}

} // namespace

bool exists(const std::string& path) {
    struct stat info {};
    return statOf(path, info);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return statOf(path, info) && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path) {
    struct stat info {};
    return statOf(path, info) && S_ISREG(info.st_mode);
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(listing);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool removeTree(const std::string& folder) {
    struct stat info {};
    if (folder.empty() || !statOf(folder, info) || !S_ISDIR(info.st_mode)) {
        return false;
    }
    struct stat link {};
    if (::lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        return ::unlink(folder.c_str()) == 0;
    }
    if ((info.st_mode & S_IRWXU) != S_IRWXU) {
        ::chmod(folder.c_str(), info.st_mode | S_IRWXU);
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        removeContents(fd);
    }
    return ::rmdir(folder.c_str()) == 0;
}

std::string stateFolderPath() {
    if (const char* state = xdgStateHome()) {
        return std::string(state) + "/quorvex";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.local/state/quorvex";
    }
    return {};
}

std::string privateStateFolder() {
    const std::string folder = stateFolderPath();
    if (folder.empty()) {
        return {};
    }
    const std::string state = parentOf(folder);
    if (!xdgStateHome()) {
        // ~/.local and ~/.local/state are shared folders of the desktop, made as it makes them.
        makeFolder(parentOf(state), 0755);
        makeFolder(state, 0755);
    }
    makeFolder(state, 0700);
    // A file or a link to one under the folder's name is not ours to change.
    if (!makeFolder(folder, 0700) || !isFolder(folder) || ::chmod(folder.c_str(), 0700) != 0) {
        return {};
    }
    return folder;
}

std::string percentEncoded(const std::string& text, const char* alsoPlain) {
    static const char* hex = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        const bool plain = isAsciiAlphanumeric(c) || std::strchr("-_.~", c) ||
                           (c != 0 && std::strchr(alsoPlain, c));
        if (plain && c != 0) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}

std::vector<char*> argumentVector(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
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

} // namespace posix
