#include "platform/bookservice/folder_books.h"

#include <algorithm>
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

constexpr std::size_t kReadPiece = 64 * 1024;

class FolderFile : public BookFile {
public:
    FolderFile(int fd, const struct stat& status) : fd_(fd), status_(status) {}
    std::uint64_t size() const override { return static_cast<std::uint64_t>(status_.st_size); }
    std::string etag() const override {
        char tag[80];
        std::snprintf(
            tag, sizeof tag, "\"%llx-%llx-%lx\"", static_cast<unsigned long long>(status_.st_ino),
            static_cast<unsigned long long>(status_.st_size),
            static_cast<long>(status_.st_mtim.tv_sec * 1000 + status_.st_mtim.tv_nsec / 1000000));
        return tag;
    }
    std::int64_t modified() const override { return status_.st_mtim.tv_sec; }
    bool copyRange(std::uint64_t offset, std::uint64_t length, const Writer& write) const override {
        char buffer[kReadPiece];
        while (length > 0) {
            const ssize_t got =
                ::pread(fd_.get(), buffer,
                        static_cast<std::size_t>(std::min<std::uint64_t>(length, kReadPiece)),
                        static_cast<off_t>(offset));
            if (got <= 0 || !write(buffer, static_cast<std::size_t>(got))) {
                return false;
            }
            offset += static_cast<std::uint64_t>(got);
            length -= static_cast<std::uint64_t>(got);
        }
        return true;
    }

private:
    FileDescriptor fd_;
    struct stat status_;
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

ShelvingResult FolderBooks::publish(const std::filesystem::path& folder, std::int64_t owner,
                                    const std::string& book, PublishMode mode) {
    std::error_code error;
    const std::filesystem::path target = shelf(owner) / book;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error || !syncTree(folder)) {
        return ShelvingResult::Failed;
    }
    // A replacement swaps the folders at once; the old book then lies where the new one was and
    // goes away with the upload's scratch space.
    const unsigned flags = mode == PublishMode::New ? RENAME_NOREPLACE : RENAME_EXCHANGE;
    if (::renameat2(AT_FDCWD, folder.c_str(), AT_FDCWD, target.c_str(), flags) != 0) {
        return errno == EEXIST                                   ? ShelvingResult::AlreadyExists
               : errno == ENOENT && mode == PublishMode::Replace ? ShelvingResult::NoSuchBook
                                                                 : ShelvingResult::Failed;
    }
    syncPath(target.parent_path());
    return ShelvingResult::Published;
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
    return std::make_unique<FolderFile>(fd, status);
}

std::vector<BookSummary> FolderBooks::listBooks(std::int64_t owner) {
    std::vector<BookSummary> books;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(shelf(owner), error)) {
        struct stat status {};
        if (!entry.is_directory(error) || ::stat(entry.path().c_str(), &status) != 0) {
            continue;
        }
        BookSummary summary{entry.path().filename().string(), 0, status.st_mtim.tv_sec};
        for (std::filesystem::recursive_directory_iterator file(entry.path(), error), end;
             !error && file != end; file.increment(error)) {
            if (file->is_regular_file(error)) {
                summary.size += file->file_size(error);
            }
        }
        books.push_back(summary);
    }
    std::sort(books.begin(), books.end(),
              [](const BookSummary& a, const BookSummary& b) { return a.name < b.name; });
    return books;
}

bool FolderBooks::retire(const std::filesystem::path& book) {
    std::string pattern = (staging_ / "removed-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        return false;
    }
    const std::filesystem::path aside = std::filesystem::path(pattern) / "book";
    const bool moved = ::rename(book.c_str(), aside.c_str()) == 0;
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return moved;
}

bool FolderBooks::removeBook(std::int64_t owner, const std::string& book) {
    const std::filesystem::path target = shelf(owner) / book;
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(target, error))) {
        return false;
    }
    if (!retire(target)) {
        throw StoreUnavailable("cannot remove " + target.string());
    }
    syncPath(target.parent_path());
    return true;
}

} // namespace bookservice
