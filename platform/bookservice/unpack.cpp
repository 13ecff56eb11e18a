#include "platform/bookservice/unpack.h"

#include <fcntl.h>
#include <minizip/unzip.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bookservice {

namespace {

constexpr unsigned kMadeOnUnix = 3;
constexpr std::size_t kCopyBuffer = 256 * 1024;

struct ZipCloser {
    void operator()(void* zip) const { unzClose(zip); }
};
using Zip = std::unique_ptr<void, ZipCloser>;

struct Listed {
    std::filesystem::path path; // relative, "/"-separated
    bool folder = false;
};

// The entry name as a relative path, or nothing when it could land outside the folder.
std::optional<std::filesystem::path> safePath(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos) {
        return std::nullopt;
    }
    std::filesystem::path path;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
        const std::string segment = name.substr(start, end - start);
        start = end + 1;
        if (segment == "..") {
            return std::nullopt;
        }
        for (const char c : segment) {
            if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;
            }
        }
        if (!segment.empty() && segment != ".") {
            path /= segment;
        }
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

bool isSpecialFile(const unz_file_info64& info) {
    if ((info.version >> 8) != kMadeOnUnix) {
        return false;
    }
    const mode_t mode = static_cast<mode_t>(info.external_fa >> 16);
    return (mode & S_IFMT) != 0 && !S_ISREG(mode) && !S_ISDIR(mode);
}

// Lists and checks every entry before anything is written.
UnpackResult listEntries(void* zip, const UnpackLimits& limits, std::vector<Listed>& listed) {
    std::uint64_t total = 0;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[4096];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            return {UnpackVerdict::Refused, "damaged archive"};
        }
        const std::string text(name, info.size_filename < sizeof name ? info.size_filename : 0);
        const auto path = safePath(text);
        if (!path) {
            return {UnpackVerdict::Refused, "unsafe entry name " + text};
        }
        if (isSpecialFile(info)) {
            return {UnpackVerdict::Refused, "link or special file " + text};
        }
        if (info.flag & 1) {
            return {UnpackVerdict::Refused, "encrypted entry " + text};
        }
        if (listed.size() >= limits.maxEntries) {
            return {UnpackVerdict::TooLarge,
                    "more than " + std::to_string(limits.maxEntries) + " entries"};
        }
        total += info.uncompressed_size;
        if (total > limits.maxBytes) {
            return {UnpackVerdict::TooLarge,
                    "it unpacks to more than " + std::to_string(limits.maxBytes >> 20) + " MiB"};
        }
        const bool folder = text.back() == '/' || text.back() == '\\';
        listed.push_back({*path, folder});
    }
    return {};
}

// Copies the current entry into `target`, stopping at the bytes its directory record declared.
UnpackResult copyEntry(void* zip, const std::filesystem::path& target, std::uint64_t& budget) {
    const int fd =
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return {UnpackVerdict::Refused, "repeated entry " + target.filename().string()};
    }
    std::vector<char> buffer(kCopyBuffer);
    UnpackResult result;
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        result = {UnpackVerdict::Refused, "unsupported or damaged entry"};
    }
    while (result.verdict == UnpackVerdict::Unpacked) {
        const int got =
            unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
        if (got < 0) {
            result = {UnpackVerdict::Refused, "damaged data"};
        } else if (got == 0) {
            break;
        } else if (static_cast<std::uint64_t>(got) > budget) {
            result = {UnpackVerdict::TooLarge, "it unpacks to more than its limit"};
        } else if (::write(fd, buffer.data(), static_cast<std::size_t>(got)) != got) {
            result = {UnpackVerdict::CannotWrite, "cannot write"};
        } else {
            budget -= static_cast<std::uint64_t>(got);
        }
    }
    if (unzCloseCurrentFile(zip) == UNZ_CRCERROR && result.verdict == UnpackVerdict::Unpacked) {
        result = {UnpackVerdict::Refused, "checksum mismatch"};
    }
    if (::close(fd) != 0 && result.verdict == UnpackVerdict::Unpacked) {
        result = {UnpackVerdict::CannotWrite, "cannot write"};
    }
    return result;
}

UnpackResult extractEntries(void* zip, const std::filesystem::path& folder,
                            const std::vector<Listed>& listed, const UnpackLimits& limits) {
    std::uint64_t budget = limits.maxBytes;
    std::size_t index = 0;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip), ++index) {
        const Listed& entry = listed[index];
        const std::filesystem::path target = folder / entry.path;
        std::error_code error;
        std::filesystem::create_directories(entry.folder ? target : target.parent_path(), error);
        if (error) {
            return {UnpackVerdict::Refused,
                    "a file and a folder share the name " + entry.path.string()};
        }
        if (!entry.folder) {
            const UnpackResult copied = copyEntry(zip, target, budget);
            if (copied.verdict != UnpackVerdict::Unpacked) {
                return copied;
            }
        }
    }
    return {};
}

} // namespace

UnpackResult unpackArchive(const std::filesystem::path& archive,
                           const std::filesystem::path& folder, const UnpackLimits& limits) {
    Zip zip(unzOpen64(archive.c_str()));
    if (!zip) {
        return {UnpackVerdict::Refused, "not a ZIP archive"};
    }
    std::vector<Listed> listed;
    UnpackResult result = listEntries(zip.get(), limits, listed);
    std::error_code error;
    if (result.verdict == UnpackVerdict::Unpacked) {
        std::filesystem::create_directories(folder, error);
        result = error ? UnpackResult{UnpackVerdict::CannotWrite, "cannot create the folder"}
                       : extractEntries(zip.get(), folder, listed, limits);
    }
    if (result.verdict != UnpackVerdict::Unpacked) {
        std::filesystem::remove_all(folder, error);
    }
    return result;
}

} // namespace bookservice
