#include "platform/bookservice/upload.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace bookservice {

namespace {

constexpr std::size_t kLongestField = 1024;
// Pieces this large are written as they come; smaller ones gather up to kWriteBuffer first.
constexpr std::size_t kDirectWrite = 64 * 1024;
constexpr std::size_t kWriteBuffer = 256 * 1024;

Receipt storageFailure(int error) {
    return error == ENOSPC || error == EDQUOT ? Receipt::NoRoom : Receipt::StorageFault;
}

// Writes all of `data`; 0, or the error that stopped it.
int writeWhole(int file, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(file, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : EIO;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

// Sets aside the disk space for a body of `bytes` before it arrives: a disk without room for it
// says so before anything is read, and the file system places the blocks once instead of as each
// write comes (the file has that size at once; a shorter body cuts it back). 0, or the error that
// refused the room; file systems that cannot reserve are fine.
int reserveRoom(int file, std::uint64_t bytes) {
    if (bytes == 0 || ::fallocate(file, 0, 0, static_cast<off_t>(bytes)) == 0) {
        return 0;
    }
    return errno == ENOSPC || errno == EDQUOT ? errno : 0;
}

// The body's file, with room reserved for the length announced: small pieces gather in memory and
// reach the disk in large writes, large ones go as they come.
class BodyFile {
public:
    BodyFile(const std::filesystem::path& path, std::uint64_t announced)
        : fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)),
          error_(fd_ < 0 ? errno : reserveRoom(fd_, announced)), reserved_(announced) {}
    ~BodyFile() { finish(); }
    BodyFile(const BodyFile&) = delete;
    BodyFile& operator=(const BodyFile&) = delete;

    // 0, or the first error met.
    int error() const { return error_; }

    bool write(const char* data, std::size_t size) {
        if (pending_.empty() && size >= kDirectWrite) {
            keep(writeWhole(fd_, data, size));
        } else {
            pending_.insert(pending_.end(), data, data + size);
            if (pending_.size() >= kWriteBuffer) {
                flush();
            }
        }
        written_ += size;
        return error_ == 0;
    }

    // Writes what has gathered, gives back reserved room the body did not fill and closes the
    // file; 0, or the first error met.
    int finish() {
        if (fd_ < 0) {
            return error_;
        }
        flush();
        if (written_ < reserved_ && ::ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
            keep(errno);
        }
        if (::close(fd_) != 0) {
            keep(errno);
        }
        fd_ = -1;
        return error_;
    }

private:
    void flush() {
        if (!pending_.empty()) {
            keep(writeWhole(fd_, pending_.data(), pending_.size()));
            pending_.clear();
        }
    }
    void keep(int error) {
        if (error_ == 0) {
            error_ = error;
        }
    }

    int fd_;
    int error_;
    std::uint64_t reserved_;
    std::uint64_t written_ = 0;
    std::vector<char> pending_;
};

} // namespace

ScratchFolder::ScratchFolder(const std::filesystem::path& staging) {
    std::string pattern = (staging / "upload-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
        path_ = pattern;
    }
}

ScratchFolder::~ScratchFolder() {
    remove();
}

void ScratchFolder::remove() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        path_.clear();
    }
}

void clearStaging(const std::filesystem::path& staging) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(staging, error)) {
        std::filesystem::remove_all(entry.path(), error);
    }
}

Receipt receiveBody(const BodySource& read, const std::filesystem::path& body,
                    const BodySize& bodySize, DelimiterScanner& delimiters) {
    BodyFile file(body, bodySize.announced);
    std::uint64_t received = 0;
    bool tooLarge = false;
    const bool whole = file.error() == 0 && read([&](const char* data, std::size_t size) {
                           received += size;
                           if (received > bodySize.most) {
                               tooLarge = true;
                               return false;
                           }
                           delimiters.scan(data, size);
                           return file.write(data, size);
                       });
    const int writeError = file.finish();
    if (tooLarge) {
        return Receipt::TooLarge;
    }
    if (writeError != 0) {
        return storageFailure(writeError);
    }
    return whole ? Receipt::Complete : Receipt::Broken;
}

FormCheck readUploadForm(const std::filesystem::path& body, const DelimiterScanner& delimiters,
                         UploadForm& form) {
    std::vector<FormPart> parts;
    if (!findParts(body, delimiters, parts)) {
        return FormCheck::Malformed;
    }
    bool hasArchive = false;
    bool hasUserName = false;
    bool hasBookName = false;
    for (const FormPart& part : parts) {
        bool* seen = part.name == "user_upload_file[]" ? &hasArchive
                     : part.name == "username"         ? &hasUserName
                     : part.name == "bookname"         ? &hasBookName
                                                       : nullptr;
        if (!seen) {
            continue;
        }
        if (*seen) {
            return FormCheck::Malformed;
        }
        *seen = true;
        if (seen == &hasArchive) {
            form.archive = part;
        } else if (!readPart(body, part, kLongestField,
                             seen == &hasUserName ? form.userName : form.bookName)) {
            return FormCheck::Malformed;
        }
    }
    return hasArchive && hasUserName && hasBookName ? FormCheck::Complete : FormCheck::MissingPart;
}

Reply publishUpload(BookStore& books, const std::filesystem::path& scratch,
                    const std::filesystem::path& body, const FormPart& archive, std::int64_t owner,
                    const std::string& book, const UnpackLimits& limits, PublishMode mode) {
    const std::filesystem::path unpacked = scratch / "unpacked";
    const UnpackResult result =
        unpackArchive(body, archive.offset, archive.length, unpacked, limits);
    switch (result.verdict) {
    case UnpackVerdict::Unpacked:
        break;
    case UnpackVerdict::Refused:
        return {400, "The archive cannot be unpacked: " + result.message};
    case UnpackVerdict::TooLarge:
        return {413, "The book is too large: " + result.message};
    case UnpackVerdict::StorageFault:
        return {500, "The book cannot be stored now."};
    }

    const std::filesystem::path folder = unpacked / book;
    std::size_t entries = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(unpacked, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        ++entries;
    }
    if (error || entries != 1 ||
        !std::filesystem::is_directory(std::filesystem::symlink_status(folder))) {
        return {400, "Every entry of the archive must lie in the folder named after the book."};
    }
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(folder / "index.html"))) {
        return {400, "The book has no index.html."};
    }
    switch (books.publish(folder, owner, book, mode)) {
    case ShelvingResult::Published:
        return {200, {}};
    case ShelvingResult::AlreadyExists:
        return {409, "The book exists already; please choose another name."};
    case ShelvingResult::NoSuchBook:
        return {404, "There is no such book to replace."};
    case ShelvingResult::Failed:
        break;
    }
    return {500, "The book cannot be stored now."};
}

} // namespace bookservice
