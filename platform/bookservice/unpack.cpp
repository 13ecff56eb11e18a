#include "platform/bookservice/unpack.h"

#include "platform/zipread/zipread.h"

namespace bookservice {

namespace {

UnpackVerdict verdictOf(murano::zipread::Failure failure) {
    using murano::zipread::Failure;
    switch (failure) {
    case Failure::None:
        return UnpackVerdict::Unpacked;
    case Failure::TooLarge:
    case Failure::TooManyEntries:
        return UnpackVerdict::TooLarge;
    case Failure::CannotOpen:
    case Failure::CannotWrite:
        return UnpackVerdict::StorageFault;
    default:
        return UnpackVerdict::Refused;
    }
}

void replaceAll(std::string& text, const std::string& what, const std::string& by) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + by.size())) {
        text.replace(at, what.size(), by);
    }
}

// The reader's message without the server's own paths, which are no business of clients.
std::string messageFor(const murano::zipread::Status& status, const std::filesystem::path& archive,
                       const std::filesystem::path& folder) {
    std::string message = status.message();
    replaceAll(message, archive.string(), "the upload");
    replaceAll(message, folder.string() + "/", "");
    return message;
}

} // namespace

UnpackResult unpackArchive(const std::filesystem::path& file, std::uint64_t offset,
                           std::uint64_t length, const std::filesystem::path& folder,
                           const UnpackLimits& limits) {
    murano::zipread::Archive zip;
    murano::zipread::Status status = zip.open(file.string(), offset, length);
    if (status.ok()) {
        status =
            murano::zipread::extractAll(zip, folder.string(), {limits.maxBytes, limits.maxEntries});
    }
    return {verdictOf(status.failure),
            status.ok() ? std::string() : messageFor(status, file, folder)};
}

} // namespace bookservice
