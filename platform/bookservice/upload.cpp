#include "platform/bookservice/upload.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace bookservice {

namespace {

constexpr std::size_t kLongestField = 1024;
constexpr std::size_t kWriteBuffer = 1 << 20;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Where the data of the part being read goes.
enum class Target { Archive, UserName, BookName, Ignored };

// Starts a part; false when the part must not come (again).
bool startPart(const std::string& name, const std::filesystem::path& archivePath, File& archive,
               UploadParts& parts, Target& target) {
    bool* seen = nullptr;
    if (name == "user_upload_file[]") {
        seen = &parts.hasArchive;
        target = Target::Archive;
    } else if (name == "username") {
        seen = &parts.hasUserName;
        target = Target::UserName;
    } else if (name == "bookname") {
        seen = &parts.hasBookName;
        target = Target::BookName;
    } else {
        target = Target::Ignored;
        return true;
    }
    if (*seen) {
        return false;
    }
    *seen = true;
    if (target == Target::Archive) {
        archive.reset(std::fopen(archivePath.c_str(), "wbx"));
        return archive && std::setvbuf(archive.get(), nullptr, _IOFBF, kWriteBuffer) == 0;
    }
    return true;
}

bool appendField(std::string& field, const char* data, std::size_t size) {
    if (field.size() + size > kLongestField) {
        return false;
    }
    field.append(data, size);
    return true;
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

Receipt receiveUpload(const httplib::ContentReader& reader, const std::filesystem::path& archive,
                      std::uint64_t maxBytes, UploadParts& parts) {
    File file;
    Target target = Target::Ignored;
    std::uint64_t received = 0;
    bool tooLarge = false;
    const bool read = reader(
        [&](const httplib::MultipartFormData& part) {
            return startPart(part.name, archive, file, parts, target);
        },
        [&](const char* data, std::size_t size) {
            received += size;
            if (received > maxBytes) {
                tooLarge = true;
                return false;
            }
            switch (target) {
            case Target::Archive:
                return std::fwrite(data, 1, size, file.get()) == size;
            case Target::UserName:
                return appendField(parts.userName, data, size);
            case Target::BookName:
                return appendField(parts.bookName, data, size);
            case Target::Ignored:
                break;
            }
            return true;
        });
    const bool written = !file || std::fclose(file.release()) == 0;
    if (tooLarge) {
        return Receipt::TooLarge;
    }
    return read && written ? Receipt::Complete : Receipt::Broken;
}

Reply publishUpload(BookStore& books, const std::filesystem::path& scratch,
                    const std::filesystem::path& archive, std::int64_t owner,
                    const std::string& book, const UnpackLimits& limits) {
    const std::filesystem::path unpacked = scratch / "unpacked";
    const UnpackResult result = unpackArchive(archive, unpacked, limits);
    std::error_code error;
    std::filesystem::remove(archive, error);
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
    switch (books.publish(folder, owner, book)) {
    case PublishResult::Published:
        return {200, {}};
    case PublishResult::AlreadyExists:
        return {409, "The book exists already; please choose another name."};
    case PublishResult::Failed:
        break;
    }
    return {500, "The book cannot be stored now."};
}

} // namespace bookservice
