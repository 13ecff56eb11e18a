// A small, careful reader of ZIP archives: lists the entries of an archive (a file of its own or
// one embedded at an offset inside a bigger file) and unpacks them into a folder without ever
// writing outside it. Plain C++17 over zlib, so that the book stub builds it for Linux and Windows.
//
// Archives from outside are untrusted: every name is checked before anything is written ("..",
// absolute names, drive letters, links and other special files are refused), the unpacked size and
// the entry count are bounded, every entry's checksum is verified, and a failed unpacking removes
// what it wrote. Entry names may separate their folders with "/" or "\".
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace murano::zipread {

enum class Failure {
    None,
    CannotOpen,     // the file cannot be opened or read
    NotAnArchive,   // no end-of-central-directory record
    Damaged,        // records out of bounds, truncated or inconsistent data
    Unsupported,    // encryption, ZIP64, compression other than stored or deflated
    UnsafeName,     // a name that could land outside the folder, or a duplicate
    Link,           // a symbolic link or another special file
    TooLarge,       // the unpacked size exceeds the limit
    TooManyEntries, // the entry count exceeds the limit
    BadChecksum,    // unpacked data that does not match its CRC-32 or its size
    CannotWrite,    // a folder or file of the output cannot be created or written
};

struct Status {
    Failure failure = Failure::None;
    std::string detail; // the entry name or path concerned, when there is one

    bool ok() const { return failure == Failure::None; }
    // One line for people, such as "unsafe entry name in the archive: ../evil".
    std::string message() const;
};

struct Entry {
    std::string name; // as stored, bytes unchanged
    std::uint16_t versionMadeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0; // from the start of the archive

    bool isDirectory() const;
    // A symbolic link, device, pipe or socket (Unix mode), or a Windows reparse point.
    bool isSpecialFile() const;
    bool isEncrypted() const { return (flags & 0x0001) != 0; }
};

struct Limits {
    std::uint64_t maxTotalBytes = std::uint64_t(4) << 30;
    std::size_t maxEntries = 100000;
};

// Receives unpacked data piece by piece; returns false to stop the reading.
using Sink = std::function<bool(const char* data, std::size_t size)>;

class Archive {
public:
    static constexpr std::uint64_t kToEndOfFile = std::numeric_limits<std::uint64_t>::max();

    // Reads the directory of the archive held in `length` bytes at `offset` of the file at `path`
    // (UTF-8). An archive whose offsets count from the start of the bigger file is read as well.
    Status open(const std::string& path, std::uint64_t offset = 0,
                std::uint64_t length = kToEndOfFile);

    const std::vector<Entry>& entries() const { return entries_; }

    // Unpacks one entry into `sink`, checking its size and CRC-32.
    Status read(const Entry& entry, const Sink& sink);
    // Unpacks one entry into memory; refuses entries larger than `maxBytes`.
    Status readToString(const Entry& entry, std::string& out, std::uint64_t maxBytes);

private:
    Status readDirectory();
    Status locateData(const Entry& entry, std::uint64_t& dataStart);
    Status copyStored(const Entry& entry, const Sink& sink, std::uint32_t& crc);
    Status inflateData(const Entry& entry, const Sink& sink, std::uint32_t& crc);
    bool readAt(std::uint64_t position, char* buffer, std::size_t size);

    std::ifstream file_;
    std::uint64_t start_ = 0;  // where the archive begins in the file
    std::uint64_t length_ = 0; // its length
    std::uint64_t bias_ = 0;   // added to recorded offsets to count them from start_
    std::uint64_t directoryStart_ = 0;
    std::vector<Entry> entries_;
};

// The name as a relative path with "/" between its segments, or nothing when the name is unsafe:
// empty, absolute ("/x", "\x"), with a drive letter or any ":", with a ".." segment, with control
// characters, or with a segment a Windows file system would turn into something else. Empty and
// "." segments are dropped; a trailing separator is dropped too.
std::optional<std::string> safeRelativePath(const std::string& name);

// Whether this reader can unpack the entry: not encrypted, stored or deflated.
Status checkSupported(const Entry& entry);

// Checks every entry against the rules above and the limits, without writing anything.
Status checkEntries(const Archive& archive, const Limits& limits);

// Unpacks every entry into `folder` (UTF-8; created when missing). Everything is checked first;
// if unpacking still fails (damaged data, a full disk) the files and folders it created are
// removed again. An existing file (or link) of the same name is replaced once every entry is
// unpacked, and stays as it was when unpacking fails; a link on the way is never followed.
Status extractAll(Archive& archive, const std::string& folder, const Limits& limits = {});

} // namespace murano::zipread
