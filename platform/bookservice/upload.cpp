#include "platform/bookservice/upload.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace bookservice {

namespace {

constexpr std::size_t kLongestField = 1024;
constexpr std::size_t kWriteBuffer = 256 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

Receipt storageFailure(int error) {
    return error == ENOSPC || error == EDQUOT ? Receipt::NoRoom : Receipt::StorageFault;
}

} // namespace

ScratchFolder::ScratchFolder(const std::filesystem::path& staging) {
    std::string pattern = (staging / "upload-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
        path_ = pattern;
    }
}

ScratchFolder::~ScratchFolder() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

void clearStaging(const std::filesystem::path& staging) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(staging, error)) {
        std::filesystem::remove_all(entry.path(), error);
    }
}

Receipt receiveBody(const BodySource& read, const std::filesystem::path& body,
                    std::uint64_t maxBytes) {
    // The pieces may arrive a few kilobytes at a time; they reach the disk in large writes.
    std::vector<char> buffer(kWriteBuffer);
    File file(std::fopen(body.c_str(), "wbx"));
    if (!file || std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size()) != 0) {
        return storageFailure(errno);
    }
    std::uint64_t received = 0;
    bool tooLarge = false;
    int writeError = 0;
    const bool whole = read([&](const char* data, std::size_t size) {
        received += size;
        if (received > maxBytes) {
            tooLarge = true;
            return false;
        }
        if (std::fwrite(data, 1, size, file.get()) != size) {
            writeError = errno;
            return false;
        }
        return true;
    });
    if (std::fclose(file.release()) != 0 && writeError == 0) {
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

FormCheck readUploadForm(const std::filesystem::path& body, const std::string& boundary,
                         UploadForm& form) {
    std::vector<FormPart> parts;
    if (!findParts(body, boundary, parts)) {
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
    std::error_code error;
    std::filesystem::remove(body, error);
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
