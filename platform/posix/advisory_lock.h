// An advisory lock (flock) on a file or a folder, for programs that must not change the same files
// at once. The lock belongs to this object's own open descriptor: a second lock on the same path,
// in this process or another, is refused while the first is held, and the lock ends with the
// object or the process, however the process ends. Children never inherit it.
#pragma once

#include <string>

namespace posix {

class AdvisoryLock {
public:
    // Tries to lock `path` exclusively, trying again for up to waitMs milliseconds while another
    // holder has it. held() tells whether it succeeded.
    AdvisoryLock(const std::string& path, int waitMs);
    ~AdvisoryLock();
    AdvisoryLock(AdvisoryLock&& other) noexcept;
    AdvisoryLock& operator=(AdvisoryLock&& other) noexcept;
    AdvisoryLock(const AdvisoryLock&) = delete;
    AdvisoryLock& operator=(const AdvisoryLock&) = delete;

    bool held() const { return descriptor_ >= 0; }

private:
    void release();

    int descriptor_ = -1;
};

} // namespace posix
