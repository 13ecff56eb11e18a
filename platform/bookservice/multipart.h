// multipart/form-data bodies read from a file: the parts are found by one pass over the bytes (as
// they arrive, or over the file) and described by where their content lies, so a part of any size
// is never copied or held in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bookservice {

struct FormPart {
    std::string name;     // from Content-Disposition
    std::string filename; // empty for a plain field
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// The boundary a multipart/form-data Content-Type names, or empty when it names none.
std::string multipartBoundary(const std::string& contentType);

// Finds the delimiters of a body fed to it piece by piece, in order, wherever they fall against the
// pieces. The body is read as if it began with an empty line, so a first boundary at its very
// start is found too.
class DelimiterScanner {
public:
    explicit DelimiterScanner(const std::string& boundary);
    DelimiterScanner(const DelimiterScanner&) = delete;
    DelimiterScanner& operator=(const DelimiterScanner&) = delete;

    void scan(const char* data, std::size_t size);
    // Where each delimiter ("\r\n--" boundary) begins in the body (-2 for one at its start); past
    // the most parts a body may have, no more are looked for.
    const std::vector<long long>& positions() const { return found_; }
    std::size_t delimiterSize() const { return delimiter_.size(); }

private:
    void record(long long position);

    std::string delimiter_;
    std::string tail_;         // the last bytes seen, too few to hold a whole delimiter
    long long tailStart_ = -2; // where tail_[0] lies in the body
    std::vector<long long> found_;
};

// The parts of the body stored at `path` whose delimiters `scanner` found, in order; false when
// the body is not a complete, well-formed multipart body (an empty preamble line before the first
// boundary is fine).
bool findParts(const std::filesystem::path& path, const DelimiterScanner& scanner,
               std::vector<FormPart>& parts);

// The content of a short part; false when it is longer than `maxBytes` or cannot be read.
bool readPart(const std::filesystem::path& path, const FormPart& part, std::size_t maxBytes,
              std::string& content);

} // namespace bookservice
