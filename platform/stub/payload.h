// The book a published executable carries behind the stub's own bytes: a length word 26, the
// marker "QUORVEXBOOKPAYLOAD9876540" and a zero byte, then the archive's length as a big-endian
// 32-bit word and the archive itself, which ends the file.
#pragma once

#include <cstdint>
#include <string>

namespace murano::stub {

// The 30 bytes that open a payload: the marker as a length-prefixed, zero-terminated string.
std::string payloadHeader();

// The length word of an empty or unreadable archive.
constexpr std::uint32_t kNoArchive = 0xFFFFFFFF;

struct Payload {
    enum class State { Found, CannotRead, Missing, NoArchive, Truncated };
    State state = State::Missing;
    std::uint64_t archiveOffset = 0; // where the archive starts in the file
    std::uint64_t archiveLength = 0;

    bool found() const { return state == State::Found; }
};

// Looks for the payload in the file at `path` (UTF-8): the first header whose archive ends exactly
// where the file ends. A header whose archive would reach past the end means a file cut short.
Payload findPayload(const std::string& path);

} // namespace murano::stub
