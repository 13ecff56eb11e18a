#include "platform/bookservice/multipart.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace bookservice {

namespace {

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

DelimiterScanner::DelimiterScanner(const std::string& boundary)
    : delimiter_("\r\n--" + boundary), tail_("\r\n") {}

void DelimiterScanner::scan(const char* data, std::size_t size) {
    if (found_.size() > kMostParts) {
        return;
    }
    // A delimiter that begins in the tail and ends in this piece, then those within the piece.
    const std::size_t keep = delimiter_.size() - 1;
    const std::string joint = tail_ + std::string(data, std::min(size, keep));
    for (std::size_t at = joint.find(delimiter_); at != std::string::npos && at < tail_.size();
         at = joint.find(delimiter_, at + delimiter_.size())) {
        record(tailStart_ + static_cast<long long>(at));
    }
    const long long pieceStart = tailStart_ + static_cast<long long>(tail_.size());
    const char* const end = data + size;
    for (const char* from = data; from < end;) {
        const auto* const at = static_cast<const char*>(::memmem(
            from, static_cast<std::size_t>(end - from), delimiter_.data(), delimiter_.size()));
        if (!at) {
            break;
        }
        record(pieceStart + (at - data));
        from = at + delimiter_.size();
    }
    if (size >= keep) {
        tail_.assign(end - keep, keep);
    } else {
        tail_.append(data, size);
        tail_.erase(0, tail_.size() - std::min(tail_.size(), keep));
    }
    tailStart_ = pieceStart + static_cast<long long>(size) - static_cast<long long>(tail_.size());
}

void DelimiterScanner::record(long long position) {
    if (found_.size() <= kMostParts) {
        found_.push_back(position);
    }
}

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

bool findParts(const std::filesystem::path& path, const DelimiterScanner& scanner,
               std::vector<FormPart>& parts) {
    const ReadOnlyFile file(path);
    if (!file.open()) {
        return false;
    }
    const std::vector<long long>& positions = scanner.positions();
    const auto delimiterSize = static_cast<long long>(scanner.delimiterSize());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const auto after = static_cast<std::uint64_t>(positions[i] + delimiterSize);
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
