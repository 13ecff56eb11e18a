#include "converter/child_process.h"

#include "platform/posix/posix_files.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Between fork and exec only async-signal-safe calls: the converter may have other threads.
void closeInheritedFiles() {
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, 3u, ~0u, 0u) == 0) {
        return;
    }
#endif
    for (int fd = 3; fd < 4096; ++fd) {
        ::close(fd);
    }
}

[[noreturn]] void execQuietly(char* const* argv, bool detached, pid_t parent) {
    if (detached) {
        ::setsid();
    } else {
        // A helper working for the run ends with it, however the converter ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL); // the converter ignores it for itself only
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO);
    }
    closeInheritedFiles();
    ::execvp(argv[0], argv);
    ::_exit(127);
}

} // namespace

pid_t startQuietly(const std::vector<std::string>& words, bool detached) {
    if (words.empty()) {
        return -1;
    }
    std::vector<std::string> copy = words;
    const std::vector<char*> argv = posix::argumentVector(copy);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        execQuietly(argv.data(), detached, parent);
    }
    return child < 0 ? -1 : child;
}

int waitForExit(pid_t child, int timeoutMs) {
    if (child <= 0) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(child, &status, timeoutMs < 0 ? 0 : WNOHANG);
        if (ended == child) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (ended < 0 && errno != EINTR) {
            return -1;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) {
            return -2;
        }
        if (timeoutMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}
