// Which entry names are safe to unpack, and the checks made on an archive before anything is
// written.
#include "platform/zipread/zipread.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace murano::zipread {

namespace {

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Device names Windows opens instead of a file, whatever the extension.
bool isReservedDeviceName(const std::string& segment) {
    const std::string stem = lowerAscii(segment.substr(0, segment.find('.')));
    static const std::set<std::string> plain = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    if (plain.count(stem) != 0) {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// A segment that lands where its name says on every file system we unpack to. Windows drops
// trailing dots and spaces (so ".. " would climb a level) and gives ":" to drive letters and
// alternate data streams.
bool isSafeSegment(const std::string& segment) {
    const bool badCharacter = std::any_of(segment.begin(), segment.end(), [](unsigned char c) {
        return c < 0x20 || c == 0x7f ||
               std::string_view(":*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
    });
    return !badCharacter && segment != ".." && segment.back() != '.' && segment.back() != ' ' &&
           !isReservedDeviceName(segment);
}

} // namespace

std::optional<std::string> safeRelativePath(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\') {
        return std::nullopt;
    }
    std::string path;
    std::size_t begin = 0;
    while (begin <= name.size()) {
        std::size_t end = name.find_first_of("/\\", begin);
        if (end == std::string::npos) {
            end = name.size();
        }
        const std::string segment = name.substr(begin, end - begin);
        begin = end + 1;
        if (segment.empty() || segment == ".") {
            continue;
        }
        if (!isSafeSegment(segment)) {
            return std::nullopt;
        }
        path += (path.empty() ? "" : "/") + segment;
    }
    if (path.empty()) {
        return std::nullopt;
    }
    return path;
}

Status checkEntries(const Archive& archive, const Limits& limits) {
    const std::vector<Entry>& entries = archive.entries();
    if (entries.size() > limits.maxEntries) {
        return Status{Failure::TooManyEntries, {}};
    }
    std::uint64_t total = 0;
    // Compared without case: on Windows "A" and "a" are the same file.
    std::set<std::string> files;
    std::set<std::string> folders;
    for (const Entry& entry : entries) {
        if (entry.isSpecialFile()) {
            return Status{Failure::Link, entry.name};
        }
        const std::optional<std::string> path = safeRelativePath(entry.name);
        if (!path) {
            return Status{Failure::UnsafeName, entry.name};
        }
        if (Status status = checkSupported(entry); !status.ok()) {
            return status;
        }
        if (entry.size > limits.maxTotalBytes - total) {
            return Status{Failure::TooLarge, entry.name};
        }
        total += entry.size;
        const std::string key = lowerAscii(*path);
        if (!entry.isDirectory() && !files.insert(key).second) {
            return Status{Failure::UnsafeName, entry.name + " (twice)"};
        }
        for (std::size_t slash = key.find('/'); slash != std::string::npos;
             slash = key.find('/', slash + 1)) {
            folders.insert(key.substr(0, slash));
        }
        if (entry.isDirectory()) {
            folders.insert(key);
        }
    }
    for (const std::string& folder : folders) {
        if (files.count(folder) != 0) {
            return Status{Failure::UnsafeName, folder + " (both a file and a folder)"};
        }
    }
    return {};
}

} // namespace murano::zipread
