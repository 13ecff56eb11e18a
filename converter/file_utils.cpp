#include "converter/file_utils.h"

#include "converter/console.h"
#include "platform/posix/posix_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool copyFile(const std::string& from, const std::string& to) {
    std::string content;
    return readWholeFile(from, content) && replaceFileContent(to, content.data(), content.size());
}

bool readWholeFile(const std::string& path, std::string& content) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        return false;
    }
    content.clear();
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        content.append(buffer, got);
    }
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    return !failed;
}

bool replaceFileContent(const std::string& path, const void* data, std::size_t size) {
    const std::string partial = path + ".partial";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool written = std::fwrite(data, 1, size, out) == size;
    if (std::fclose(out) != 0 || !written || ::rename(partial.c_str(), path.c_str()) != 0) {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

std::string fileTail(const std::string& path, std::size_t count) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        return {};
    }
    std::string tail(count, '\0');
    if (std::fseek(in, -static_cast<long>(count), SEEK_END) != 0) {
        std::rewind(in);
    }
    tail.resize(std::fread(tail.data(), 1, count, in));
    std::fclose(in);
    return tail;
}

bool moveFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    if (!copyFile(from, to)) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

std::string makeTemporaryFolder() {
    const std::string base = posix::privateStateFolder();
    if (base.empty()) {
        return {};
    }
    std::string folder = base + "/exportXXXXXX";
    return ::mkdtemp(folder.data()) ? folder : std::string();
}

OutputFolderClaim::OutputFolderClaim(const std::string& folder) {
    made_ = ::mkdir(folder.c_str(), 0755) == 0;
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        Print(stderr, "lantrel: the output folder \"%s\" cannot be made: %s.\n", folder.c_str(),
              std::strerror(errno));
        if (made_) {
            ::rmdir(folder.c_str());
        }
        made_ = false;
        return;
    }
    // A file system without advisory locks leaves the folder unguarded rather than unwritable.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        Print(stderr,
              "lantrel: the output folder \"%s\" is being written by another conversion; it is "
              "left to that one.\n",
              folder.c_str());
        ::close(fd_);
        fd_ = -1;
        // Made here, but the other run already holds it: it is that run's folder now.
        made_ = false;
    }
}

OutputFolderClaim::~OutputFolderClaim() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}
