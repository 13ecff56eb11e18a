// SHA-256, for naming a book's folder after its contents.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace murano::stub {

class Sha256 {
public:
    Sha256();
    void add(const void* data, std::size_t size);
    // The digest in lower-case hexadecimal; ends the computation.
    std::string hex();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;
    std::uint64_t length_ = 0;
};

} // namespace murano::stub
