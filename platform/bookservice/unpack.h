// Unpacking an uploaded book archive. Archives come from outside and are untrusted: names that
// could land outside the folder, links, and archives that unpack beyond the limits are refused, and
// a refused archive leaves nothing behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace bookservice {

struct UnpackLimits {
    std::uint64_t maxBytes = std::uint64_t(2) << 30; // all entries together, unpacked
    std::size_t maxEntries = 20000;
};

enum class UnpackVerdict { Unpacked, Refused, TooLarge, StorageFault };

struct UnpackResult {
    UnpackVerdict verdict = UnpackVerdict::Unpacked;
    std::string message; // why, for people, when not unpacked
};

// Unpacks the archive held in `length` bytes at `offset` of `file` into `folder`. Entry names may
// separate folders with "/" or "\".
UnpackResult unpackArchive(const std::filesystem::path& file, std::uint64_t offset,
                           std::uint64_t length, const std::filesystem::path& folder,
                           const UnpackLimits& limits);

} // namespace bookservice
