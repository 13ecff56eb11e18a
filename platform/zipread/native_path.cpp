#include "platform/zipread/native_path.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace murano::zipread {

#ifdef _WIN32

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring wideText(const std::string& text, UINT codePage, DWORD flags) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return wide;
}

} // namespace

std::filesystem::path nativePath(const std::string& text) {
    std::wstring wide = wideText(text, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty() && !text.empty()) {
        wide = wideText(text, kGbkCodePage, 0);
    }
    return std::filesystem::path(wide);
}

std::string pathText(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

#else

std::filesystem::path nativePath(const std::string& text) {
    return std::filesystem::path(text);
}

std::string pathText(const std::filesystem::path& path) {
    return path.native();
}

#endif

} // namespace murano::zipread
