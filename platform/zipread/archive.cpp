// Reading the central directory and the entries' data of a ZIP archive.
#include "platform/zipread/native_path.h"
#include "platform/zipread/zipread.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <zlib.h>

namespace murano::zipread {

namespace {

constexpr std::uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t kDirectoryEntrySignature = 0x02014b50;
constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFF;
constexpr std::uint16_t kZip64Marker16 = 0xFFFF;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::size_t kChunkSize = 64 * 1024;

std::uint16_t read16(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t read32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

// Where the end-of-central-directory record starts in `tail`, the archive's last bytes: the last
// signature whose comment reaches exactly to the end.
std::optional<std::size_t> findEndOfDirectory(const std::string& tail) {
    if (tail.size() < kEndOfDirectorySize) {
        return std::nullopt;
    }
    for (std::size_t i = tail.size() - kEndOfDirectorySize + 1; i-- > 0;) {
        if (read32(&tail[i]) == kEndOfDirectorySignature &&
            i + kEndOfDirectorySize + read16(&tail[i + 20]) == tail.size()) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::string Status::message() const {
    switch (failure) {
    case Failure::None:
        return "no error";
    case Failure::CannotOpen:
        return "cannot read the file " + detail;
    case Failure::NotAnArchive:
        return "no ZIP archive found in " + detail;
    case Failure::Damaged:
        return "the archive is damaged" + (detail.empty() ? "" : ": " + detail);
    case Failure::Unsupported:
        return "unsupported archive feature: " + detail;
    case Failure::UnsafeName:
        return "unsafe entry name in the archive: " + detail;
    case Failure::Link:
        return "the archive holds a link or special file: " + detail;
    case Failure::TooLarge:
        return "the archive unpacks to more than the allowed size" +
               (detail.empty() ? "" : ": " + detail);
    case Failure::TooManyEntries:
        return "the archive holds too many entries";
    case Failure::BadChecksum:
        return "data does not match its checksum: " + detail;
    case Failure::CannotWrite:
        return "cannot write " + detail;
    }
    return "unknown error";
}

bool Entry::isDirectory() const {
    constexpr std::uint32_t kDosDirectory = 0x10;
    return (!name.empty() && (name.back() == '/' || name.back() == '\\')) ||
           (externalAttributes & kDosDirectory) != 0;
}

bool Entry::isSpecialFile() const {
    constexpr std::uint16_t kMadeOnUnix = 3;
    constexpr std::uint32_t kTypeMask = 0170000;
    constexpr std::uint32_t kRegular = 0100000;
    constexpr std::uint32_t kDirectory = 0040000;
    constexpr std::uint32_t kDosReparsePoint = 0x400;
    if ((externalAttributes & kDosReparsePoint) != 0) {
        return true;
    }
    if ((versionMadeBy >> 8) != kMadeOnUnix) {
        return false;
    }
    const std::uint32_t type = (externalAttributes >> 16) & kTypeMask;
    return type != 0 && type != kRegular && type != kDirectory;
}

bool Archive::readAt(std::uint64_t position, char* buffer, std::size_t size) {
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(start_ + position));
    file_.read(buffer, static_cast<std::streamsize>(size));
    return file_.good() || static_cast<std::size_t>(file_.gcount()) == size;
}

Status Archive::open(const std::string& path, std::uint64_t offset, std::uint64_t length) {
    entries_.clear();
    file_.close();
    file_.open(nativePath(path), std::ios::binary);
    if (!file_) {
        return Status{Failure::CannotOpen, path};
    }
    file_.seekg(0, std::ios::end);
    const auto fileSize = static_cast<std::uint64_t>(file_.tellg());
    if (offset > fileSize || (length != kToEndOfFile && length > fileSize - offset)) {
        return Status{Failure::Damaged, "the archive extends past the end of " + path};
    }
    start_ = offset;
    length_ = length == kToEndOfFile ? fileSize - offset : length;
    Status status = readDirectory();
    if (status.failure == Failure::NotAnArchive) {
        status.detail = path;
    }
    return status;
}

Status Archive::readDirectory() {
    const std::size_t tailSize = static_cast<std::size_t>(
        std::min<std::uint64_t>(length_, kEndOfDirectorySize + kMaxCommentSize));
    std::string tail(tailSize, '\0');
    if (!readAt(length_ - tailSize, tail.data(), tailSize)) {
        return Status{Failure::CannotOpen, {}};
    }
    const std::optional<std::size_t> found = findEndOfDirectory(tail);
    if (!found) {
        return Status{Failure::NotAnArchive, {}};
    }
    const char* record = &tail[*found];
    const std::uint64_t recordPosition = length_ - tailSize + *found;
    if (read16(record + 4) != 0 || read16(record + 6) != 0) {
        return Status{Failure::Unsupported, "archive split over several disks"};
    }
    const std::uint16_t count = read16(record + 10);
    const std::uint32_t directorySize = read32(record + 12);
    const std::uint32_t recordedStart = read32(record + 16);
    if (count == kZip64Marker16 || directorySize == kZip64Marker32 ||
        recordedStart == kZip64Marker32) {
        return Status{Failure::Unsupported, "ZIP64"};
    }
    if (directorySize > recordPosition) {
        return Status{Failure::Damaged, "central directory out of bounds"};
    }
    // The directory ends where the end record begins; the difference to the recorded start is
    // data put before the archive (an executable), counted in its offsets or not.
    directoryStart_ = recordPosition - directorySize;
    bias_ = directoryStart_ - recordedStart;
    std::string directory(directorySize, '\0');
    if (!readAt(directoryStart_, directory.data(), directory.size())) {
        return Status{Failure::CannotOpen, {}};
    }
    std::size_t position = 0;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (directory.size() - position < kDirectoryEntrySize ||
            read32(&directory[position]) != kDirectoryEntrySignature) {
            return Status{Failure::Damaged, "central directory entry " + std::to_string(i)};
        }
        const char* fields = &directory[position];
        const std::size_t nameSize = read16(fields + 28);
        const std::size_t variableSize = nameSize + read16(fields + 30) + read16(fields + 32);
        if (directory.size() - position - kDirectoryEntrySize < variableSize) {
            return Status{Failure::Damaged, "central directory entry " + std::to_string(i)};
        }
        Entry entry;
        entry.versionMadeBy = read16(fields + 4);
        entry.flags = read16(fields + 8);
        entry.method = read16(fields + 10);
        entry.crc32 = read32(fields + 16);
        entry.compressedSize = read32(fields + 20);
        entry.size = read32(fields + 24);
        entry.externalAttributes = read32(fields + 38);
        const std::uint32_t recordedOffset = read32(fields + 42);
        entry.name.assign(fields + kDirectoryEntrySize, nameSize);
        if (entry.compressedSize == kZip64Marker32 || entry.size == kZip64Marker32 ||
            recordedOffset == kZip64Marker32) {
            return Status{Failure::Unsupported, "ZIP64"};
        }
        entry.localHeaderOffset = recordedOffset + bias_;
        if (entry.localHeaderOffset >= directoryStart_) {
            return Status{Failure::Damaged, entry.name};
        }
        entries_.push_back(std::move(entry));
        position += kDirectoryEntrySize + variableSize;
    }
    return {};
}

Status Archive::locateData(const Entry& entry, std::uint64_t& dataStart) {
    std::array<char, kLocalHeaderSize> header{};
    if (directoryStart_ - entry.localHeaderOffset < kLocalHeaderSize ||
        !readAt(entry.localHeaderOffset, header.data(), header.size()) ||
        read32(header.data()) != kLocalHeaderSignature) {
        return Status{Failure::Damaged, entry.name};
    }
    const std::uint64_t nameSize = read16(&header[26]);
    dataStart = entry.localHeaderOffset + kLocalHeaderSize + nameSize + read16(&header[28]);
    if (dataStart > directoryStart_ || directoryStart_ - dataStart < entry.compressedSize) {
        return Status{Failure::Damaged, entry.name};
    }
    // A local name that differs from the directory's would show one file to one reader and
    // another to the next.
    std::string localName(nameSize, '\0');
    if (!readAt(entry.localHeaderOffset + kLocalHeaderSize, localName.data(), localName.size()) ||
        localName != entry.name) {
        return Status{Failure::Damaged, entry.name};
    }
    return {};
}

Status checkSupported(const Entry& entry) {
    if (entry.isEncrypted()) {
        return Status{Failure::Unsupported, "encrypted entry " + entry.name};
    }
    if (entry.method != kStored && entry.method != kDeflated) {
        return Status{Failure::Unsupported,
                      "compression method " + std::to_string(entry.method) + " in " + entry.name};
    }
    return {};
}

Status Archive::read(const Entry& entry, const Sink& sink) {
    if (Status status = checkSupported(entry); !status.ok()) {
        return status;
    }
    std::uint64_t dataStart = 0;
    if (Status status = locateData(entry, dataStart); !status.ok()) {
        return status;
    }
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(start_ + dataStart));
    std::uint32_t crc = 0;
    Status status =
        entry.method == kStored ? copyStored(entry, sink, crc) : inflateData(entry, sink, crc);
    if (status.ok() && crc != entry.crc32) {
        return Status{Failure::BadChecksum, entry.name};
    }
    return status;
}

Status Archive::copyStored(const Entry& entry, const Sink& sink, std::uint32_t& crc) {
    if (entry.compressedSize != entry.size) {
        return Status{Failure::BadChecksum, entry.name};
    }
    std::string buffer(kChunkSize, '\0');
    for (std::uint64_t left = entry.size; left > 0;) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunkSize));
        if (!file_.read(buffer.data(), static_cast<std::streamsize>(piece))) {
            return Status{Failure::Damaged, entry.name};
        }
        crc = static_cast<std::uint32_t>(
            ::crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(piece)));
        if (!sink(buffer.data(), piece)) {
            return Status{Failure::CannotWrite, entry.name};
        }
        left -= piece;
    }
    return {};
}

Status Archive::inflateData(const Entry& entry, const Sink& sink, std::uint32_t& crc) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return Status{Failure::Damaged, entry.name};
    }
    std::string input(kChunkSize, '\0');
    std::string output(kChunkSize, '\0');
    std::uint64_t inputLeft = entry.compressedSize;
    std::uint64_t produced = 0;
    Status status;
    int result = Z_OK;
    while (status.ok() && result != Z_STREAM_END) {
        if (stream.avail_in == 0 && inputLeft > 0) {
            const auto piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(inputLeft, kChunkSize));
            if (!file_.read(input.data(), static_cast<std::streamsize>(piece))) {
                status = Status{Failure::Damaged, entry.name};
                break;
            }
            stream.next_in = reinterpret_cast<Bytef*>(input.data());
            stream.avail_in = static_cast<uInt>(piece);
            inputLeft -= piece;
        }
        stream.next_out = reinterpret_cast<Bytef*>(output.data());
        stream.avail_out = static_cast<uInt>(output.size());
        result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t made = output.size() - stream.avail_out;
        if (result != Z_OK && result != Z_STREAM_END) {
            // Z_BUF_ERROR here means the data ended before the stream did.
            status = Status{Failure::Damaged, entry.name};
        } else if (made > entry.size - produced) {
            // More data than the directory promised: never write past the checked size.
            status = Status{Failure::BadChecksum, entry.name};
        } else if (made > 0) {
            produced += made;
            crc = static_cast<std::uint32_t>(::crc32(
                crc, reinterpret_cast<const Bytef*>(output.data()), static_cast<uInt>(made)));
            if (!sink(output.data(), made)) {
                status = Status{Failure::CannotWrite, entry.name};
            }
        }
    }
    inflateEnd(&stream);
    if (status.ok() && produced != entry.size) {
        status = Status{Failure::BadChecksum, entry.name};
    }
    return status;
}

Status Archive::readToString(const Entry& entry, std::string& out, std::uint64_t maxBytes) {
    out.clear();
    if (entry.size > maxBytes) {
        return Status{Failure::TooLarge, entry.name};
    }
    out.reserve(static_cast<std::size_t>(entry.size));
    return read(entry, [&out](const char* data, std::size_t size) {
        out.append(data, size);
        return true;
    });
}

} // namespace murano::zipread
