// Small file-system helpers of the converter's back ends.
#pragma once

#include <cstddef>
#include <string>

// Copies a file, replacing the destination. Returns false on any failure.
bool copyFile(const std::string& from, const std::string& to);

// The whole content of a file; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& content);

// Writes `content` beside `path` and renames it into place, so that `path` is either untouched or
// complete. Returns false (and leaves nothing behind) on failure.
bool replaceFileContent(const std::string& path, const void* data, std::size_t size);

// The last `count` bytes of a file (all of a shorter one); "" when it cannot be read.
std::string fileTail(const std::string& path, std::size_t count);

// Moves a file, across file systems too.
bool moveFile(const std::string& from, const std::string& to);

// A new private (0700) folder in the user's private state folder; "" when it cannot be made.
std::string makeTemporaryFolder();

// This run's hold on an output folder: made when missing and locked (an advisory lock that goes
// with the process, however it ends), so that a second run writing the same output fails instead
// of mixing its files into this one's.
class OutputFolderClaim {
public:
    explicit OutputFolderClaim(const std::string& folder);
    ~OutputFolderClaim();
    OutputFolderClaim(const OutputFolderClaim&) = delete;
    OutputFolderClaim& operator=(const OutputFolderClaim&) = delete;

    // Whether this run holds the folder; when not, the reason has been printed.
    bool held() const { return fd_ >= 0; }
    // Whether this run made the folder, so that a failure removes it again.
    bool madeFolder() const { return made_; }

private:
    int fd_ = -1;
    bool made_ = false;
};
