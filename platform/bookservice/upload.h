// Book uploads: the desktop client's multipart body is streamed to a file in a private scratch
// folder as it arrives, then unpacked beside it and published with one rename. Whatever goes wrong,
// the scratch folder goes away and the published books stay as they were.
#pragma once

#include "platform/bookservice/storage.h"
#include "platform/bookservice/unpack.h"

#include <filesystem>
#include <httplib.h>
#include <string>

namespace bookservice {

// A fresh private folder in the staging area, removed with everything in it when it goes away.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::filesystem::path& staging);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ready() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Removes what uploads cut short by a crash left in the staging area.
void clearStaging(const std::filesystem::path& staging);

// The parts of an upload: the archive went to a file, the two short fields are kept here.
struct UploadParts {
    bool hasArchive = false;
    bool hasUserName = false;
    bool hasBookName = false;
    std::string userName; // UTF-8 as the client sends it
    std::string bookName;
};

enum class Receipt { Complete, TooLarge, Broken };

// Reads the multipart body, writing the "user_upload_file[]" part to `archive`. Broken covers a
// malformed body, a repeated or oversized field, a failed write and a client that went away.
Receipt receiveUpload(const httplib::ContentReader& reader, const std::filesystem::path& archive,
                      std::uint64_t maxBytes, UploadParts& parts);

struct Reply {
    int status = 200;
    std::string text;
};

// Unpacks the received archive inside `scratch` and publishes the book. Every entry must lie in the
// folder named after the book, as the desktop client packs it, and the book needs its index.html.
Reply publishUpload(BookStore& books, const std::filesystem::path& scratch,
                    const std::filesystem::path& archive, std::int64_t owner,
                    const std::string& book, const UnpackLimits& limits);

} // namespace bookservice
