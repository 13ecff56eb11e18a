#include "platform/bookservice/multipart.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace bookservice {

namespace {

constexpr std::size_t kScanChunk = 256 * 1024;
constexpr std::size_t kLongestHeaders = 8192;
constexpr std::size_t kMostParts = 16;

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool open() const { return fd_ >= 0; }
    std::uint64_t size() const {
        const off_t end = ::lseek(fd_, 0, SEEK_END);
        return end < 0 ? 0 : static_cast<std::uint64_t>(end);
    }
    // Reads up to `length` bytes at `offset` (fewer at the end of the file); the count read.
    std::size_t readInto(std::uint64_t offset, char* buffer, std::size_t length) const {
        std::size_t got = 0;
        while (got < length) {
            const ssize_t n =
                ::pread(fd_, buffer + got, length - got, static_cast<off_t>(offset + got));
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        return got;
    }
    std::string read(std::uint64_t offset, std::size_t length) const {
        std::string data(length, '\0');
        data.resize(readInto(offset, data.data(), length));
        return data;
    }

private:
    int fd_;
};

// Where every delimiter ("\r\n--" boundary) begins. The body is read as if it began with "\r\n",
// so a first boundary at the very start is found too (at -2).
std::vector<long long> delimiterPositions(const ReadOnlyFile& file, const std::string& delimiter) {
    std::vector<long long> found;
    // Each read lands after the tail of the one before: a tail short enough that no delimiter is
    // found twice, long enough that none is missed across two reads.
    const std::size_t tail = delimiter.size() - 1;
    std::string window(tail + kScanChunk, '\0');
    window.replace(0, 2, "\r\n");
    std::size_t held = 2;
    long long windowStart = -2; // where window[0] lies in the body
    std::uint64_t next = 0;
    while (found.size() <= kMostParts) {
        const std::size_t got = file.readInto(next, window.data() + held, kScanChunk);
        if (got == 0) {
            break;
        }
        next += got;
        held += got;
        const std::string_view view(window.data(), held);
        for (std::size_t at = view.find(delimiter); at != std::string_view::npos;
             at = view.find(delimiter, at + delimiter.size())) {
            found.push_back(windowStart + static_cast<long long>(at));
        }
        const std::size_t keep = std::min(held, tail);
        std::memmove(window.data(), window.data() + held - keep, keep);
        windowStart += static_cast<long long>(held - keep);
        held = keep;
    }
    return found;
}

// The value of `key="..."` in a Content-Disposition header.
std::string dispositionValue(const std::string& header, const std::string& key) {
    const std::string marker = key + "=\"";
    for (std::size_t at = header.find(marker); at != std::string::npos;
         at = header.find(marker, at + 1)) {
        if (at == 0 || header[at - 1] == ' ' || header[at - 1] == ';') {
            const std::size_t start = at + marker.size();
            const std::size_t end = header.find('"', start);
            return end == std::string::npos ? std::string() : header.substr(start, end - start);
        }
    }
    return {};
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Reads the headers of the part that starts right after a delimiter at `afterDelimiter`; the part
// with its name and where its content begins, or nothing when they are malformed.
std::optional<FormPart> partHeaders(const ReadOnlyFile& file, std::uint64_t afterDelimiter) {
    const std::string head = file.read(afterDelimiter, kLongestHeaders);
    std::size_t lineEnd = head.find("\r\n");
    if (lineEnd == std::string::npos ||
        head.find_first_not_of(" \t") < lineEnd) { // only padding may follow the boundary
        return std::nullopt;
    }
    const std::size_t headersEnd = head.find("\r\n\r\n", lineEnd);
    if (headersEnd == std::string::npos) {
        return std::nullopt;
    }
    FormPart part;
    bool named = false;
    for (std::size_t start = lineEnd + 2; start < headersEnd + 2; start = lineEnd + 2) {
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd - start);
        if (lowered(line.substr(0, 20)) == "content-disposition:") {
            part.name = dispositionValue(line, "name");
            part.filename = dispositionValue(line, "filename");
            named = lowered(line).find("form-data") != std::string::npos && !part.name.empty();
        }
    }
    part.offset = afterDelimiter + headersEnd + 4;
    return named ? std::optional<FormPart>(part) : std::nullopt;
}

} // namespace

std::string multipartBoundary(const std::string& contentType) {
    if (lowered(contentType.substr(0, 19)) != "multipart/form-data") {
        return {};
    }
    const std::string lower = lowered(contentType);
    const std::size_t at = lower.find("boundary=");
    if (at == std::string::npos) {
        return {};
    }
    std::string boundary = contentType.substr(at + 9);
    boundary = boundary.substr(0, boundary.find(';'));
    if (boundary.size() >= 2 && boundary.front() == '"' && boundary.back() == '"') {
        boundary = boundary.substr(1, boundary.size() - 2);
    }
    return boundary.size() <= 70 ? boundary : std::string();
}

bool findParts(const std::filesystem::path& path, const std::string& boundary,
               std::vector<FormPart>& parts) {
    const ReadOnlyFile file(path);
    if (!file.open() || boundary.empty()) {
        return false;
    }
    const std::string delimiter = "\r\n--" + boundary;
    const std::vector<long long> positions = delimiterPositions(file, delimiter);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const auto after =
            static_cast<std::uint64_t>(positions[i] + static_cast<long long>(delimiter.size()));
        if (file.read(after, 2) == "--") {
            return i > 0; // the closing delimiter, after at least one part
        }
        auto part = partHeaders(file, after);
        if (!part || i + 1 == positions.size() ||
            part->offset > static_cast<std::uint64_t>(positions[i + 1])) {
            return false;
        }
        part->length = static_cast<std::uint64_t>(positions[i + 1]) - part->offset;
        parts.push_back(*part);
    }
    return false; // no closing delimiter: the body was cut short
}

bool readPart(const std::filesystem::path& path, const FormPart& part, std::size_t maxBytes,
              std::string& content) {
    const ReadOnlyFile file(path);
    if (!file.open() || part.length > maxBytes) {
        return false;
    }
    content = file.read(part.offset, static_cast<std::size_t>(part.length));
    return content.size() == part.length;
}

} // namespace bookservice
