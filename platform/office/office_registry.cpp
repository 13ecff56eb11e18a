#include "office_process.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <mutex>
#include <random>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace office::detail {
namespace {

struct Record {
    int processGroup;
    std::string profileFolder;
};

// Held while an instance is launched or ended, so that an end requested from another thread never
// misses a group that is being forked and never races with an end already in progress.
std::mutex registryMutex;
std::vector<Record> registry;

const char* kLauncher = "soffice";
const char* kLauncherFallback = MURANO_OFFICE_PROGRAM_DIR "/soffice";

std::string temporaryBase() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp == '/' ? std::string(tmp) : std::string("/tmp");
}

std::string uniquePipeName() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    char name[96];
    std::snprintf(name, sizeof name, "murano_office_%d_%u_%08x", static_cast<int>(::getpid()),
                  counter++, static_cast<unsigned>(random()));
    return name;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}

void removeTree(const std::string& folder) {
    if (!folder.empty()) {
        ::nftw(folder.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
}

// Kills the group and reaps its members. The launcher is our child; the office process it forked
// is reparented to us (we are a child subreaper), so every member can be waited for here.
void killGroup(int processGroup) {
    ::kill(-processGroup, SIGKILL);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        while (::waitpid(-processGroup, nullptr, WNOHANG) > 0) {
        }
        if (::kill(-processGroup, 0) != 0 && errno == ESRCH) {
            return;
        }
        ::kill(-processGroup, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void endLocked(std::vector<Record>::iterator record) {
    killGroup(record->processGroup);
    removeTree(record->profileFolder);
    registry.erase(record);
}

// Only async-signal-safe calls between fork and exec: the parent may have other threads.
[[noreturn]] void execLauncher(char* const* argv) {
    ::setpgid(0, 0);
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    // Descriptors of the caller (pipes to its own parent, for one) must not be kept open by the
    // office suite, or a reader waiting for the caller's end of file would wait for ours too.
    if (::close_range(STDERR_FILENO + 1, ~0U, 0) != 0) {
        struct rlimit limit {};
        const int highest = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536
                                ? static_cast<int>(limit.rlim_cur)
                                : 65536;
        for (int fd = STDERR_FILENO + 1; fd < highest; ++fd) {
            ::close(fd);
        }
    }
    ::execvp(kLauncher, argv);
    ::execv(kLauncherFallback, argv);
    ::_exit(127);
}

} // namespace

std::string fileUrlOf(const std::string& absolutePath) {
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : absolutePath) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

bool launchOffice(LaunchedOffice& launched, std::string& error) {
    // Orphaned office processes come back to us, so that ending an instance can reap all of it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);

    std::string folder = temporaryBase() + "/murano-office-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        error = "cannot create a private office profile folder";
        return false;
    }
    launched.profileFolder = folder;
    launched.pipeName = uniquePipeName();

    std::vector<std::string> words = {
        kLauncher,
        "--headless",
        "--invisible",
        "--norestore",
        "--nologo",
        "--nodefault",
        "--nolockcheck",
        "-env:UserInstallation=" + fileUrlOf(folder),
        "--accept=pipe,name=" + launched.pipeName + ";urp;StarOffice.ComponentContext",
    };
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    std::lock_guard<std::mutex> lock(registryMutex);
    const pid_t child = ::fork();
    if (child < 0) {
        removeTree(folder);
        error = "cannot start the office suite";
        return false;
    }
    if (child == 0) {
        execLauncher(argv.data());
    }
    ::setpgid(child, child);
    launched.processGroup = child;
    registry.push_back({child, folder});
    return true;
}

bool launcherRunning(int processGroup) {
    return ::waitpid(processGroup, nullptr, WNOHANG) == 0;
}

void endOffice(int processGroup) {
    std::lock_guard<std::mutex> lock(registryMutex);
    const auto record =
        std::find_if(registry.begin(), registry.end(),
                     [processGroup](const Record& r) { return r.processGroup == processGroup; });
    if (record != registry.end()) {
        endLocked(record);
    }
}

void endAllOffices() {
    std::lock_guard<std::mutex> lock(registryMutex);
    while (!registry.empty()) {
        endLocked(registry.begin());
    }
}

} // namespace office::detail
