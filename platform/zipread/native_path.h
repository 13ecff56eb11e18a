// File-system paths from UTF-8 text. On Windows the text becomes UTF-16 for the wide file APIs;
// bytes that are not UTF-8 (older archivers store names in the local 8-bit code page) are read as
// GBK there. On Linux the bytes are used unchanged.
#pragma once

#include <filesystem>
#include <string>

namespace murano::zipread {

std::filesystem::path nativePath(const std::string& text);
// The path as UTF-8 text, for messages and for callers that keep paths as text.
std::string pathText(const std::filesystem::path& path);

} // namespace murano::zipread
