#include "platform/stub/book_folder.h"

#include "platform/leftovers/owned_names.h"
#include "platform/stub/desktop.h"
#include "platform/stub/sha256.h"
#include "platform/zipread/native_path.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace murano::stub {

namespace fs = std::filesystem;

const char* const kBookPage = "Book/index.html";

namespace {

// A book is pictures that barely compress, so its files take little more room than its archive;
// anything far beyond that is a bomb meant to fill the disk.
zipread::Limits limitsFor(const Payload& payload) {
    constexpr std::uint64_t kSlack = 64ull << 20;
    constexpr std::uint64_t kMaxRatio = 16;
    return zipread::Limits{payload.archiveLength * kMaxRatio + kSlack, 200000};
}

// The first 32 hexadecimal digits (128 bits) of the archive's SHA-256; empty when unreadable.
std::string archiveHash(const std::string& file, const Payload& payload) {
    std::ifstream in(zipread::nativePath(file), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(payload.archiveOffset));
    Sha256 hash;
    std::vector<char> buffer(1 << 20);
    for (std::uint64_t left = payload.archiveLength; left > 0;) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        if (!in.read(buffer.data(), static_cast<std::streamsize>(piece))) {
            return {};
        }
        hash.add(buffer.data(), piece);
        left -= piece;
    }
    return hash.hex().substr(0, 32);
}

std::string pagePath(const fs::path& folder) {
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    return zipread::pathText((absolute / zipread::nativePath(kBookPage)).make_preferred());
}

bool holdsBook(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / zipread::nativePath(kBookPage), error);
}

// A book is unpacked into partial-<pid>-<hash> first and renamed to its hash when complete.
const char* const kPartialPrefix = "partial-";

// Removes the partial folders of runs that ended before they finished (killed, or a power cut).
void sweepPartialUnpacks(const fs::path& books) {
    std::vector<fs::path> abandoned;
    std::error_code error;
    for (fs::directory_iterator item(books, error), end; !error && item != end;
         item.increment(error)) {
        if (leftovers::ownerGone(zipread::pathText(item->path().filename()), kPartialPrefix)) {
            abandoned.push_back(item->path());
        }
    }
    for (const fs::path& folder : abandoned) {
        fs::remove_all(folder, error);
    }
}

Unpacked failure(std::string sentence) {
    return Unpacked{false, {}, std::move(sentence)};
}

} // namespace

zipread::Status openBook(zipread::Archive& archive, const std::string& file,
                         const Payload& payload) {
    zipread::Status status = archive.open(file, payload.archiveOffset, payload.archiveLength);
    if (!status.ok()) {
        return status;
    }
    for (const zipread::Entry& entry : archive.entries()) {
        if (!entry.isDirectory() && zipread::safeRelativePath(entry.name) == kBookPage) {
            return status;
        }
    }
    return zipread::Status{zipread::Failure::Damaged, std::string("no ") + kBookPage};
}

Unpacked unpackInto(zipread::Archive& archive, const Payload& payload, const std::string& folder) {
    const zipread::Status status = zipread::extractAll(archive, folder, limitsFor(payload));
    if (!status.ok()) {
        return failure("Cannot unpack the book: " + status.message());
    }
    return Unpacked{true, pagePath(zipread::nativePath(folder)), {}};
}

Unpacked unpackPrivately(zipread::Archive& archive, const std::string& file,
                         const Payload& payload) {
    const std::string books = privateBooksFolder();
    if (books.empty()) {
        return failure("Cannot create a private folder for the book.");
    }
    const std::string name = archiveHash(file, payload);
    if (name.empty()) {
        return failure("Cannot read the book in " + file + ".");
    }
    const fs::path folder = zipread::nativePath(books) / name;
    if (holdsBook(folder)) {
        return Unpacked{true, pagePath(folder), {}};
    }
    sweepPartialUnpacks(zipread::nativePath(books));
    const fs::path part =
        zipread::nativePath(books) / (leftovers::ownedName(kPartialPrefix) + "-" + name);
    std::error_code error;
    fs::remove_all(part, error);
    if (!makePrivateFolder(zipread::pathText(part))) {
        return failure("Cannot create the folder " + zipread::pathText(part) + ".");
    }
    Unpacked unpacked = unpackInto(archive, payload, zipread::pathText(part));
    if (unpacked.ok) {
        // A folder left half-made by an interrupted run gives way; one finished by a run that
        // raced this one is kept.
        if (!holdsBook(folder)) {
            fs::remove_all(folder, error);
            fs::rename(part, folder, error);
        }
        unpacked = holdsBook(folder)
                       ? Unpacked{true, pagePath(folder), {}}
                       : failure("Cannot create the folder " + zipread::pathText(folder) + ".");
    }
    fs::remove_all(part, error);
    return unpacked;
}

} // namespace murano::stub
