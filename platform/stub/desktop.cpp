#include "platform/stub/desktop.h"

#include "platform/zipread/native_path.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>
#else
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
extern char** environ;
#endif

namespace murano::stub {

namespace fs = std::filesystem;

namespace {

// Creates `path` and its missing parents, each new one private; true when `path` is a folder.
bool makePrivateFolders(const fs::path& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return true;
    }
    if (path.has_parent_path() && path.parent_path() != path &&
        !makePrivateFolders(path.parent_path())) {
        return false;
    }
    return makePrivateFolder(zipread::pathText(path)) || fs::is_directory(path, error);
}

} // namespace

#ifdef _WIN32

namespace {
bool messagesInBox = false;
} // namespace

std::vector<std::string> programArguments(int, char**) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words && i < count; ++i) {
        arguments.push_back(zipread::pathText(fs::path(words[i])));
    }
    LocalFree(words);
    return arguments;
}

std::string ownExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (size == 0) {
            return {};
        }
        if (size < buffer.size()) {
            buffer.resize(size);
            return zipread::pathText(fs::path(buffer));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string privateBooksFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (!local || !*local) {
        return {};
    }
    const fs::path folder = fs::path(local) / L"Quorvex" / L"Books";
    return makePrivateFolders(folder) ? zipread::pathText(folder) : std::string();
}

// Below the user's own profile folder, which only the user (and administrators) can enter.
bool makePrivateFolder(const std::string& path) {
    return CreateDirectoryW(zipread::nativePath(path).c_str(), nullptr) != 0;
}

bool openInDefaultBrowser(const std::string& file) {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        nullptr, L"open", zipread::nativePath(file).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

void leaveConsoleWhenStartedFromDesktop() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1) {
        FreeConsole();
        messagesInBox = true;
    }
}

void showError(const std::string& text) {
    if (messagesInBox) {
        MessageBoxW(nullptr, zipread::nativePath(text).c_str(), L"Book", MB_OK | MB_ICONERROR);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

#else

std::vector<std::string> programArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string ownExecutablePath() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).string();
}

std::string privateBooksFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    fs::path base;
    if (cache && *cache == '/') {
        base = cache;
    } else if (home && *home) {
        base = fs::path(home) / ".cache";
    } else {
        return {};
    }
    const fs::path folder = base / "quorvex" / "books";
    return makePrivateFolders(folder) ? folder.string() : std::string();
}

bool makePrivateFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0;
}

bool openInDefaultBrowser(const std::string& file) {
    // Started and left to run: a browser that stays open keeps its opener waiting.
    std::string program = "xdg-open";
    std::string argument = file;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    return ::posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) == 0;
}

void leaveConsoleWhenStartedFromDesktop() {}

void showError(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

#endif

void printLine(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

} // namespace murano::stub
