// The lock that gives one murano at a time the right to change a wall's work folder: the window
// holds it for as long as it is open, each batch command for its whole run. Two writers on one
// folder would remove each other's staging folders and mix two decks in one wall.
#pragma once

#include <QString>

#include <memory>

namespace posix {
class AdvisoryLock;
}

class WallLock {
public:
    // How long a batch command waits for a wall another murano is changing.
    static constexpr int kBatchWaitMs = 3000;

    // Locks the work folder (created when missing), waiting up to waitMs for another holder.
    WallLock(const QString& workFolder, int waitMs);
    ~WallLock();
    WallLock(const WallLock&) = delete;
    WallLock& operator=(const WallLock&) = delete;

    bool held() const;

    // What to tell the user when the lock could not be had: naming the folder, for a terminal, or
    // without it (an empty workFolder), short enough for the window's message box.
    static QString inUseMessage(const QString& workFolder);

private:
    std::unique_ptr<posix::AdvisoryLock> lock_;
};
