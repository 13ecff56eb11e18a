#include "platform/stub/payload.h"

#include "platform/zipread/native_path.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace murano::stub {

namespace {

constexpr std::size_t kLengthWordSize = 4;
constexpr std::size_t kChunkSize = 1 << 20;

std::uint32_t readBigEndian32(const char* bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
           (static_cast<std::uint32_t>(b[2]) << 8) | static_cast<std::uint32_t>(b[3]);
}

// What the header found at `position` says, given the bytes that follow it.
Payload payloadAt(std::ifstream& file, std::uint64_t position, std::uint64_t fileSize) {
    Payload payload;
    const std::uint64_t lengthPosition = position + payloadHeader().size();
    char word[kLengthWordSize];
    file.clear();
    file.seekg(static_cast<std::streamoff>(lengthPosition));
    if (fileSize - lengthPosition < kLengthWordSize || !file.read(word, kLengthWordSize)) {
        payload.state = Payload::State::Truncated;
        return payload;
    }
    const std::uint32_t length = readBigEndian32(word);
    payload.archiveOffset = lengthPosition + kLengthWordSize;
    payload.archiveLength = length;
    if (length == kNoArchive) {
        payload.state = Payload::State::NoArchive;
    } else if (payload.archiveOffset + length == fileSize) {
        payload.state = Payload::State::Found;
    } else {
        payload.state = payload.archiveOffset + length > fileSize ? Payload::State::Truncated
                                                                  : Payload::State::Missing;
    }
    return payload;
}

} // namespace

std::string payloadHeader() {
    // Built at run time so that the stub's own bytes never hold the header in one piece.
    std::string header("\0\0\0\x1a", kLengthWordSize);
    header += "QUORVEXBOOK";
    header += "PAYLOAD9876540";
    header.push_back('\0');
    return header;
}

Payload findPayload(const std::string& path) {
    std::ifstream file(zipread::nativePath(path), std::ios::binary);
    Payload best;
    if (!file) {
        best.state = Payload::State::CannotRead;
        return best;
    }
    file.seekg(0, std::ios::end);
    const auto fileSize = static_cast<std::uint64_t>(file.tellg());
    const std::string header = payloadHeader();
    std::vector<char> chunk(kChunkSize + header.size());
    for (std::uint64_t start = 0; start < fileSize; start += kChunkSize) {
        const auto size =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), fileSize - start));
        file.clear();
        file.seekg(static_cast<std::streamoff>(start));
        if (!file.read(chunk.data(), static_cast<std::streamsize>(size))) {
            best.state = Payload::State::CannotRead;
            return best;
        }
        const char* begin = chunk.data();
        const char* end = begin + size;
        for (const char* at = std::search(begin, end, header.begin(), header.end());
             at != end && at < begin + kChunkSize;
             at = std::search(at + 1, end, header.begin(), header.end())) {
            const Payload candidate = payloadAt(file, start + std::uint64_t(at - begin), fileSize);
            if (candidate.found()) {
                return candidate;
            }
            // A header that does not fit is reported only when no proper one follows.
            if (candidate.state != Payload::State::Missing) {
                best = candidate;
            }
        }
    }
    return best;
}

} // namespace murano::stub
