// Book uploads: the desktop client's multipart body is streamed raw to a file in a private scratch
// folder as it arrives, its parts are found in the file, the archive is unpacked from where it lies
// and the book is published with one rename. Whatever goes wrong,
// the scratch folder goes away and the published books stay as they were.
#pragma once

#include "platform/bookservice/multipart.h"
#include "platform/bookservice/storage.h"
#include "platform/bookservice/unpack.h"

#include <filesystem>
#include <functional>
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
    // Removes the folder now rather than when it goes away.
    void remove();

private:
    std::filesystem::path path_;
};

// Removes what uploads cut short by a crash left in the staging area.
void clearStaging(const std::filesystem::path& staging);

enum class Receipt { Complete, TooLarge, NoRoom, StorageFault, Broken };

// Hands the body, piece by piece, to the receiver it is given; false when the body could not be
// read whole or the receiver stopped it.
using BodySource = std::function<bool(const httplib::ContentReceiver&)>;

// Streams the request body, as it arrives, into the file `body`, and shows each piece to
// `delimiters` on its way, so that the stored body need not be read again to find its parts.
// NoRoom: the disk (or the service's quota) is full; StorageFault: another failed write; Broken:
// the client went away or sent a body that cannot be read.
struct BodySize {
    std::uint64_t announced = 0; // by the request's Content-Length; 0 when it names none
    std::uint64_t most = 0;      // beyond this the body is too large
};

Receipt receiveBody(const BodySource& read, const std::filesystem::path& body, const BodySize& size,
                    DelimiterScanner& delimiters);

// The desktop client's upload form: the archive part stays where it lies in the body file.
struct UploadForm {
    FormPart archive;     // "user_upload_file[]"
    std::string userName; // "username", UTF-8 as the client sends it
    std::string bookName; // "bookname"
};

enum class FormCheck { Complete, Malformed, MissingPart };

FormCheck readUploadForm(const std::filesystem::path& body, const DelimiterScanner& delimiters,
                         UploadForm& form);

struct Reply {
    int status = 200;
    std::string text;
};

// Unpacks the archive part of the received body inside `scratch` and publishes the book (the body
// stays until the scratch folder goes). Every
// entry must lie in the folder named after the book, as the desktop client packs it, and the book
// needs its index.html.
Reply publishUpload(BookStore& books, const std::filesystem::path& scratch,
                    const std::filesystem::path& body, const FormPart& archive, std::int64_t owner,
                    const std::string& book, const UnpackLimits& limits, PublishMode mode);

} // namespace bookservice
