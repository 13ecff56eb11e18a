#include "platform/bookservice/folder_books.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bookservice {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

class FolderFile : public BookFile {
public:
    FolderFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t size() const override { return size_; }
    long long readAt(std::uint64_t offset, char* buffer, std::size_t length) const override {
        return ::pread(fd_.get(), buffer, length, static_cast<off_t>(offset));
    }

private:
    FileDescriptor fd_;
    std::uint64_t size_;
};

bool syncPath(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

// Flushes every file and folder below `folder`, and the folder itself, to the disk.
bool syncTree(const std::filesystem::path& folder) {
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(folder, error), end;
         !error && entry != end; entry.increment(error)) {
        if (!syncPath(entry->path())) {
            return false;
        }
    }
    return !error && syncPath(folder);
}

} // namespace

std::filesystem::path FolderBooks::shelf(std::int64_t owner) const {
    return root_ / "u" / std::to_string(owner) / "flipbook";
}

bool FolderBooks::hasBook(std::int64_t owner, const std::string& book) {
    std::error_code error;
    return std::filesystem::exists(shelf(owner) / book, error);
}

PublishResult FolderBooks::publish(const std::filesystem::path& folder, std::int64_t owner,
                                   const std::string& book) {
    std::error_code error;
    const std::filesystem::path target = shelf(owner) / book;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error || !syncTree(folder)) {
        return PublishResult::Failed;
    }
    if (::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        return errno == EEXIST ? PublishResult::AlreadyExists : PublishResult::Failed;
    }
    syncPath(target.parent_path());
    return PublishResult::Published;
}

std::unique_ptr<BookFile> FolderBooks::openFile(std::int64_t owner, const std::string& book,
                                                const std::string& relative) {
    const std::filesystem::path path = shelf(owner) / book / relative;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FolderFile>(fd, static_cast<std::uint64_t>(status.st_size));
}

} // namespace bookservice
