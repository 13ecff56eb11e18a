#include "platform/posix/advisory_lock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace posix {

namespace {

constexpr auto kRetryPeriod = std::chrono::milliseconds(50);

// A folder opens read-only; a lock file is created when missing.
int openForLocking(const std::string& path) {
    const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        return folder;
    }
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
}

bool lockWithin(int descriptor, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kRetryPeriod);
    }
}

} // namespace

AdvisoryLock::AdvisoryLock(const std::string& path, int waitMs)
    : descriptor_(openForLocking(path)) {
    if (descriptor_ >= 0 && !lockWithin(descriptor_, waitMs)) {
        release();
    }
}

AdvisoryLock::~AdvisoryLock() {
    release();
}

AdvisoryLock::AdvisoryLock(AdvisoryLock&& other) noexcept : descriptor_(other.descriptor_) {
    other.descriptor_ = -1;
}

AdvisoryLock& AdvisoryLock::operator=(AdvisoryLock&& other) noexcept {
    if (this != &other) {
        release();
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
    }
    return *this;
}

void AdvisoryLock::release() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

} // namespace posix
