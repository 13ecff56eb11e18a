// multipart/form-data bodies read from a file: the parts are found by one pass over the file and
// described by where their content lies, so a part of any size is never copied or held in memory.
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

// The parts of the body stored at `path`, in order; false when the body is not a complete,
// well-formed multipart body (an empty preamble line before the first boundary is fine).
bool findParts(const std::filesystem::path& path, const std::string& boundary,
               std::vector<FormPart>& parts);

// The content of a short part; false when it is longer than `maxBytes` or cannot be read.
bool readPart(const std::filesystem::path& path, const FormPart& part, std::size_t maxBytes,
              std::string& content);

} // namespace bookservice
