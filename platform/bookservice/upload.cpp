#include "platform/bookservice/upload.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace bookservice {

namespace {

constexpr std::size_t kLongestField = 1024;

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
    const int file = ::open(body.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0) {
        return storageFailure(errno);
    }
    if (const int error = reserveRoom(file, bodySize.announced); error != 0) {
        ::close(file);
        return storageFailure(error);
    }
    const std::uint64_t maxBytes = bodySize.most;
    std::uint64_t received = 0;
    bool tooLarge = false;
    int writeError = 0;
    const bool whole = read([&](const char* data, std::size_t size) {
        received += size;
        if (received > maxBytes) {
            tooLarge = true;
            return false;
        }
        delimiters.scan(data, size);
        writeError = writeWhole(file, data, size);
        return writeError == 0;
    });
    if (received < bodySize.announced && ::ftruncate(file, static_cast<off_t>(received)) != 0 &&
        writeError == 0) {
        writeError = errno;
    }
    if (::close(file) != 0 && writeError == 0) {
        writeError = errno;
    }
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
